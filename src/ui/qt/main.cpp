#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/stop_requests.h"
#include "platform/system.h"
#include "shell/program_files.h"
#include "ui/qt/qt_window.h"

namespace {

/// The window that a request to end closes, once there is one. A request comes on another
/// thread; the close is queued to the window's own.
class CloseTarget {
 public:
  void Set(QtWindow* window) {
    const std::lock_guard lock(mutex_);
    window_ = window;
  }
  void Close() {
    const std::lock_guard lock(mutex_);
    if (window_ == nullptr) return;
    QtWindow* const window = window_;
    QMetaObject::invokeMethod(
        window, [window] { window->close(); }, Qt::QueuedConnection);
  }

 private:
  std::mutex mutex_;
  QtWindow* window_ = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
  // Listening before anything else: a request to end is never the signal's default death, and
  // one that comes before the window exists closes it as soon as it is shown, as a user would.
  CloseTarget target;
  const platform::StopRequests stopRequests([&target] { target.Close(); });

  // The one argument the window answers, before any display is needed: for packagers and users
  // who ask which version they have.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs("fundort " FUNDORT_VERSION "\n", stdout);
    return 0;
  }
  QApplication application(argc, argv);
  // The window decides when the program ends: after the model closed it and the running handler
  // returned.
  QApplication::setQuitOnLastWindowClosed(false);

  // A copy in a folder of the user's keeps its files beside it; an installed one uses the
  // user's configuration and state folders, and offers a configuration to start from.
  platform::System& system = platform::OperatingSystem();
  const ProgramFiles files = ChooseProgramFiles(system, system.ExecutablePath());
  QtWindow window(OptionsFor(files, system));
  target.Set(&window);
  if (files.Place == FilesPlace::UserFolders) window.driver().Model().OfferStarterConfiguration();

  // Every way of ending goes through the window's close, so the model closes exactly once.
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                   [&window](QSessionManager&) { window.close(); });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
  QObject::connect(&window, &QtWindow::windowClosed, &application,
                   [] { QCoreApplication::exit(0); });

  // Before the first log line, so every started program that is asked to end logs "EXIT".
  if (stopRequests.Requested()) target.Close();
  window.driver().Load();
  window.show();
  window.startRunWhenShown();
  const int status = QApplication::exec();
  target.Set(nullptr);
  return status;
}
