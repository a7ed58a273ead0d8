#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <thread>

#include "platform/stop_requests.h"

namespace platform {
namespace {

/// The pipe's write end, for the signal handler; -1 while nobody listens.
volatile sig_atomic_t gWriteEnd = -1;

/// Raised by the handler itself, so a request is known before the listener has read it.
std::atomic<bool> gRequested = false;
static_assert(std::atomic<bool>::is_always_lock_free, "set inside a signal handler");

/// A byte that is not a signal number: the listener is asked to end.
constexpr unsigned char kQuit = 0;

extern "C" void OnStopSignal(int signalNumber) {
  const int savedErrno = errno;
  gRequested.store(true);
  const auto byte = static_cast<unsigned char>(signalNumber);
  // Non-blocking: when the pipe is full a request is pending anyway.
  [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &byte, 1);
  errno = savedErrno;
}

void Install(int signalNumber, struct sigaction& previous) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls resume, so file reading in the run never sees EINTR.
  action.sa_flags = SA_RESTART;
  ::sigaction(signalNumber, &action, &previous);
}

}  // namespace

struct StopRequests::State {
  int readEnd = -1;
  int writeEnd = -1;
  struct sigaction previousTerminate {};
  struct sigaction previousInterrupt {};
  sigset_t previousMask{};
  std::thread listener;
};

StopRequests::StopRequests(std::function<void()> onRequest) : state_(std::make_unique<State>()) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot create the stop pipe");
  state_->readEnd = ends[0];
  state_->writeEnd = ends[1];
  // Only the handler's end must never block; the listener waits on its end.
  ::fcntl(state_->writeEnd, F_SETFL, O_NONBLOCK);
  gWriteEnd = state_->writeEnd;
  gRequested.store(false);
  state_->listener = std::thread([readEnd = state_->readEnd, onRequest = std::move(onRequest)] {
    for (;;) {
      unsigned char byte = kQuit;
      const ssize_t count = ::read(readEnd, &byte, 1);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0 || byte == kQuit) return;
      onRequest();
    }
  });
  Install(SIGTERM, state_->previousTerminate);
  Install(SIGINT, state_->previousInterrupt);
  // A parent that takes its signals with sigwait or signalfd keeps them blocked, and a child
  // inherits the mask: unblocked here, a request is heard all the same, also one that came
  // before this point and waits pending.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  ::pthread_sigmask(SIG_UNBLOCK, &stops, &state_->previousMask);
}

StopRequests::~StopRequests() {
  // Blocked again where they were blocked before, the rest of the mask as it is now.
  sigset_t reblock;
  sigemptyset(&reblock);
  for (const int signalNumber : {SIGTERM, SIGINT}) {
    if (sigismember(&state_->previousMask, signalNumber) == 1) sigaddset(&reblock, signalNumber);
  }
  ::pthread_sigmask(SIG_BLOCK, &reblock, nullptr);
  ::sigaction(SIGTERM, &state_->previousTerminate, nullptr);
  ::sigaction(SIGINT, &state_->previousInterrupt, nullptr);
  gWriteEnd = -1;
  const unsigned char quit = kQuit;
  [[maybe_unused]] const ssize_t written = ::write(state_->writeEnd, &quit, 1);
  state_->listener.join();
  ::close(state_->readEnd);
  ::close(state_->writeEnd);
}

bool StopRequests::Requested() const {
  return gRequested.load();
}

}  // namespace platform
