#pragma once

namespace platform {

/// Makes a write to a pipe whose reader has gone fail with an error instead of ending the
/// process, so a program whose output is cut short (`| head`) can still finish its run.
void IgnoreBrokenPipes();

}  // namespace platform
