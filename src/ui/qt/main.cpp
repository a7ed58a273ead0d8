#include <QApplication>
#include <QSessionManager>

#include "ui/qt/qt_window.h"
#include "ui/qt/termination_signals.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The window decides when the program ends: after Form_Unload and the running handler.
  QApplication::setQuitOnLastWindowClosed(false);

  // Installed before the first log line, so every started program that is asked to end logs "EXIT".
  TerminationSignals terminationSignals;
  QtWindow window;

  // Every way of ending goes through the window's close, so the form unloads exactly once.
  QObject::connect(&terminationSignals, &TerminationSignals::received, &window, &QWidget::close);
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                   [&window](QSessionManager&) { window.close(); });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &window, &QWidget::close);
  QObject::connect(&window, &QtWindow::windowClosed, &application,
                   [] { QCoreApplication::exit(0); });

  window.form().Form_Load();
  window.show();
  window.startRunWhenShown();
  return QApplication::exec();
}
