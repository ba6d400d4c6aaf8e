#pragma once

#include "core/commandtable.h"

namespace ColourCalibration {
CommandTable commands();
}
