#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a `kill`, Ctrl+C in a terminal, the end of a desktop
// session) into the Qt signal `received` on the thread that made the object, so that the program
// can end through its normal end path. The signal handler only writes the number into a socket
// pair that a socket notifier reads. One object at a time; its end restores the default
// handlers.
class TTerminationSignals : public QObject {
  Q_OBJECT

public:
  explicit TTerminationSignals(QObject* parent = nullptr);
  ~TTerminationSignals() override;
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

signals:
  void received(int signalNumber);

private:
  void readSignal();

  QSocketNotifier* m_notifier = nullptr;
};
