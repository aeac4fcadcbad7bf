#include "app/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace woodtick {
namespace {

constexpr int kCaught[] = {SIGTERM, SIGHUP, SIGINT};
// The pipe from the handler to the event loop: the handler may only write.
int pipe_ends[2] = {-1, -1};
struct sigaction earlier[sizeof kCaught / sizeof kCaught[0]];

void OnSignal(int signal) {
  const unsigned char number = static_cast<unsigned char>(signal);
  const int saved_errno = errno;
  // A full pipe already holds a signal waiting to be handled.
  if (::write(pipe_ends[1], &number, 1) < 0) errno = saved_errno;
  errno = saved_errno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> on_signal)
    : on_signal_(std::move(on_signal)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pipe_ends) != 0) {
    return;  // the program runs on, as it would without this
  }
  notifier_ = new QSocketNotifier(pipe_ends[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Deliver);
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kCaught); ++i) sigaction(kCaught[i], &action, &earlier[i]);
}

TerminationSignals::~TerminationSignals() {
  if (notifier_ == nullptr) return;
  for (size_t i = 0; i < std::size(kCaught); ++i) sigaction(kCaught[i], &earlier[i], nullptr);
  delete notifier_;
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  pipe_ends[0] = pipe_ends[1] = -1;
}

void TerminationSignals::Deliver() {
  unsigned char number = 0;
  while (::read(pipe_ends[0], &number, 1) == 1) on_signal_(number);
}

void TerminationSignals::EndBy(int signal) {
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);
}

}  // namespace woodtick
