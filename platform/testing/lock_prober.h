// LockProber: a second program for tests, trying a file's lock in a loop
// for as long as it runs. It tells whether it ever got the lock, and how
// often it tried (so a test can see the loop really ran).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/file_lock.h"

namespace woodtick {

class LockProber {
 public:
  explicit LockProber(const std::string& path) {
    if (::pipe(stop_) != 0 || ::pipe(report_) != 0) return;
    pid_ = ::fork();
    if (pid_ != 0) return;
    ::fcntl(stop_[0], F_SETFL, O_NONBLOCK);
    Result result;
    char c;
    do {
      ++result.tries;
      if (FileOpenError(path) == kFileOpenOk) ++result.got;
    } while (::read(stop_[0], &c, 1) != 1);
    (void)!::write(report_[1], &result, sizeof result);
    ::_exit(0);
  }
  ~LockProber() { Stop(); }

  struct Result {
    int64_t tries = 0;
    int64_t got = 0;  // times the lock was free
  };

  // Ends the loop and answers what it saw (all zero when it could not run).
  Result Stop() {
    if (pid_ > 0) {
      (void)!::write(stop_[1], "x", 1);
      (void)!::read(report_[0], &result_, sizeof result_);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
      for (int fd : {stop_[0], stop_[1], report_[0], report_[1]}) ::close(fd);
    }
    return result_;
  }

 private:
  pid_t pid_ = -1;
  int stop_[2] = {-1, -1};
  int report_[2] = {-1, -1};
  Result result_;
};

}  // namespace woodtick
