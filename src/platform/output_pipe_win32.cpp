#include "platform/output_pipe.h"

namespace platform {

void IgnoreBrokenPipes() {
  // Windows ends no process for writing to a pipe whose reader has gone: the write fails with
  // an error, which the caller already handles.
}

}  // namespace platform
