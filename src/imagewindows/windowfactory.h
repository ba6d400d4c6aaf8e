#pragma once
// The factory of this folder's windows, for the module and for the tests
// that link the windows themselves.

#include "ui/windowfactory.h"

const WindowFactory &measuringWindows();
