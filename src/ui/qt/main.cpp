#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstring>

#include "platform/stop_requests.h"
#include "platform/system.h"
#include "shell/program_files.h"
#include "ui/qt/qt_window.h"

int main(int argc, char* argv[]) {
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
  if (files.Place == FilesPlace::UserFolders) window.driver().Model().OfferStarterConfiguration();
  // Listening before the first log line, so every started program that is asked to end logs
  // "EXIT". A request arrives on another thread; the close is queued to the window's own.
  const platform::StopRequests stopRequests([&window] {
    QMetaObject::invokeMethod(
        &window, [&window] { window.close(); }, Qt::QueuedConnection);
  });

  // Every way of ending goes through the window's close, so the model closes exactly once.
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                   [&window](QSessionManager&) { window.close(); });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
  QObject::connect(&window, &QtWindow::windowClosed, &application,
                   [] { QCoreApplication::exit(0); });

  window.driver().Load();
  window.show();
  window.startRunWhenShown();
  return QApplication::exec();
}
