#pragma once

#include "sheet/commandtable.h"

#include <vector>

namespace Files {

// Each field kept in a value file, with its file and the buttons of its row.
struct ValueFile
{
    const char *field;
    const char *file;
    const char *saveButton;
    const char *success;
    const char *loadButton;
};

const std::vector<ValueFile> &valueFiles();

// `dataFolder` holds the folders that stand for the drives ("C:\" and so on).
CommandTable commands(const QString &dataFolder);
}
