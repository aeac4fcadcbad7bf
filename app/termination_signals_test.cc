#include "app/termination_signals.h"

#include <gtest/gtest.h>

#include <QTest>
#include <csignal>
#include <vector>

namespace woodtick {
namespace {

// Each caught signal reaches the event loop in the order sent, and the
// handlers from before are back once the catcher is gone.
TEST(TerminationSignalsTest, SignalsReachTheEventLoopAndEarlierHandlersReturn) {
  struct sigaction before = {};
  sigaction(SIGTERM, nullptr, &before);
  std::vector<int> seen;
  {
    TerminationSignals catcher([&seen](int signal) { seen.push_back(signal); });
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) std::raise(signal);
    EXPECT_TRUE(QTest::qWaitFor([&seen] { return seen.size() == 3; }, 5000));
    EXPECT_EQ(seen, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
  }
  struct sigaction after = {};
  sigaction(SIGTERM, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace woodtick
