#include "commands.h"

namespace Files {

CommandTable commands(const QString &dataFolder)
{
    Q_UNUSED(dataFolder);
    return {};
}

} // namespace Files
