#pragma once

#include "sheet/commandtable.h"

namespace Photometry {
CommandTable commands();
}
