#pragma once

#include "core/commandtable.h"

namespace Photometry {
CommandTable commands();
}
