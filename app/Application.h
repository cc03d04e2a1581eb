#pragma once

#include <QApplication>

#include <functional>

// The application object. Its notify is the program's standard error box: an exception that
// escapes any event handler is shown in an error message box under the application title,
// and the program goes on. A fatal sound library error (its box already shown) ends the event
// loop instead, so that the program ends through its normal end path.
class TApplication : public QApplication {
public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // Shows `error` as the standard error box does.
  static void showError(const std::exception& error);
  // Runs `step` as an event handler runs: its error goes to the standard error box, a fatal
  // sound library error ends the program. False when it failed. For code that Qt calls outside
  // notify (a slot, a step of the start-up), so that no exception passes through Qt.
  static bool guarded(const std::function<void()>& step);

  // True once a fatal sound library error has ended the program.
  bool fatal() const { return m_fatal; }
  // Records a fatal sound library error and leaves the event loop.
  void endAfterFatalError();

private:
  bool m_fatal = false;
};
