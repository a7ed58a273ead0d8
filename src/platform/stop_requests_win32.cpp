#include "platform/windows_win32.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/stop_requests.h"

namespace platform {
namespace {

/// What the console's handler and the listening thread share; one listener at a time.
struct Requests {
  std::mutex mutex;
  std::condition_variable wake;
  bool listening = false;
  bool quit = false;
  bool requested = false;
  int pending = 0;
};

Requests& Shared() {
  static Requests requests;
  return requests;
}

/// Runs on a thread the system starts for the console event and only hands the request on.
/// After a close, logoff or shutdown the system ends the process once the handler returns, so
/// for those the handler gives the run a moment to close first.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  Requests& requests = Shared();
  {
    const std::lock_guard lock(requests.mutex);
    if (!requests.listening) return FALSE;
    requests.requested = true;
    ++requests.pending;
  }
  requests.wake.notify_one();
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) ::Sleep(2000);
  return TRUE;
}

}  // namespace

struct StopRequests::State {
  std::thread listener;
};

StopRequests::StopRequests(std::function<void()> onRequest) : state_(std::make_unique<State>()) {
  Requests& requests = Shared();
  {
    const std::lock_guard lock(requests.mutex);
    requests.listening = true;
    requests.quit = false;
    requests.requested = false;
    requests.pending = 0;
  }
  state_->listener = std::thread([&requests, onRequest = std::move(onRequest)] {
    std::unique_lock lock(requests.mutex);
    for (;;) {
      requests.wake.wait(lock, [&requests] { return requests.quit || requests.pending > 0; });
      if (requests.quit) return;
      --requests.pending;
      lock.unlock();
      onRequest();
      lock.lock();
    }
  });
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

StopRequests::~StopRequests() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  Requests& requests = Shared();
  {
    const std::lock_guard lock(requests.mutex);
    requests.listening = false;
    requests.quit = true;
  }
  requests.wake.notify_one();
  state_->listener.join();
}

bool StopRequests::Requested() const {
  Requests& requests = Shared();
  const std::lock_guard lock(requests.mutex);
  return requests.requested;
}

}  // namespace platform
