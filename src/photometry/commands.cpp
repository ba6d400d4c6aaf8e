#include "commands.h"

#include "magnitude.h"

namespace Photometry {

CommandTable commands()
{
    return {
        {QStringLiteral("Command1"), magnitude},
    };
}

} // namespace Photometry
