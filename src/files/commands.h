#pragma once

#include "sheet/commandtable.h"

namespace Files {
// `dataFolder` holds the folders that stand for the drives ("C:\" and so on).
CommandTable commands(const QString &dataFolder);
}
