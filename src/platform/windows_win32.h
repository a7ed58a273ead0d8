#pragma once

// The Windows API without the macros that would rename this program's own functions
// (min, max, DeleteFile, ...): include this instead of <windows.h>.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef DeleteFile
#undef CreateFile
#undef GetCommandLine
