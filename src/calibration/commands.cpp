#include "commands.h"

namespace Calibration {

CommandTable commands()
{
    return {};
}

} // namespace Calibration
