#pragma once

#include "platform/system_error.h"

namespace platform {

/// Describes an errno value: a short German text for the common cases, else the system's text.
SystemError ErrorFromErrno(int code);

}  // namespace platform
