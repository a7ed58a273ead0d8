#pragma once

#include "platform/windows_win32.h"

#include "platform/system_error.h"

namespace platform::win32 {

/// Describes a Win32 error code in the system's own words and language (FormatMessageW), its
/// kind told apart for the core.
SystemError ErrorFromCode(DWORD code);

/// The failure of the last Win32 call of this thread.
SystemError LastError();

}  // namespace platform::win32
