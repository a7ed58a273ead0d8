#include "ui/qt/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace {

volatile std::sig_atomic_t gWriteEnd = -1;

extern "C" void OnTerminationSignal(int signalNumber) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signalNumber);
  // Non-blocking: when the pipe is full a close is pending anyway.
  [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &byte, 1);
  errno = savedErrno;
}

void Install(int signalNumber, struct sigaction& previous) {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls resume, so file reading in the run never sees EINTR.
  action.sa_flags = SA_RESTART;
  ::sigaction(signalNumber, &action, &previous);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("cannot create the pipe for termination signals");
  }
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  gWriteEnd = writeEnd_;
  notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
  Install(SIGTERM, previousTerminate_);
  Install(SIGINT, previousInterrupt_);
}

TerminationSignals::~TerminationSignals() {
  ::sigaction(SIGTERM, &previousTerminate_, nullptr);
  ::sigaction(SIGINT, &previousInterrupt_, nullptr);
  gWriteEnd = -1;
  delete notifier_;
  ::close(readEnd_);
  ::close(writeEnd_);
}

void TerminationSignals::drain() {
  unsigned char bytes[16];
  for (;;) {
    const ssize_t count = ::read(readEnd_, bytes, sizeof bytes);
    if (count <= 0) {
      if (count < 0 && errno == EINTR) continue;
      return;
    }
    for (ssize_t index = 0; index < count; ++index)
      emit received(bytes[index]);
  }
}
