#pragma once

#include "sheet/commandtable.h"

namespace Calibration {
CommandTable commands();
}
