// TerminationSignals: turns SIGTERM, SIGHUP and SIGINT (a shutdown, a closed
// terminal, Ctrl+C) into a call on the event loop, so the program can save
// what it holds before it ends instead of dying with unsaved tallies.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace woodtick {

class TerminationSignals : public QObject {
 public:
  // `on_signal` runs on the event loop, given the signal's number. One
  // instance at a time; the earlier handlers come back when it ends.
  explicit TerminationSignals(std::function<void(int)> on_signal);
  ~TerminationSignals() override;

  // Ends the process by `signal` itself, as if never caught, so whoever
  // sent it sees how the program ended.
  [[noreturn]] static void EndBy(int signal);

 private:
  void Deliver();

  std::function<void(int)> on_signal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace woodtick
