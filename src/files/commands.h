#pragma once

#include "core/commandtable.h"

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

CommandTable commands();
}
