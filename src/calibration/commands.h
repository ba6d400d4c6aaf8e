#pragma once

#include "core/commandtable.h"

namespace Calibration {
CommandTable commands();
}
