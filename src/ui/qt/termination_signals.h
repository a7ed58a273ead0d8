#pragma once

#include <signal.h>

#include <QObject>

class QSocketNotifier;

/// Turns SIGTERM and SIGINT into a Qt signal delivered by the event loop (through a self-pipe),
/// so a request to terminate can close the window the way the user does. One instance at a time.
class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  /// Installs the handlers; the previous ones come back when the object goes.
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 signals:
  /// A termination signal arrived (emitted once per signal, from the event loop).
  void received(int signalNumber);

 private:
  void drain();

  int readEnd_ = -1;
  int writeEnd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction previousTerminate_ {};
  struct sigaction previousInterrupt_ {};
};
