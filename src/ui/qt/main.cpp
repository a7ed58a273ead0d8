#include <QApplication>
#include <QSessionManager>

#include "platform/stop_requests.h"
#include "ui/qt/qt_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The window decides when the program ends: after the model closed it and the running handler
  // returned.
  QApplication::setQuitOnLastWindowClosed(false);

  QtWindow window;
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
