#include "tools/progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace woodtick {
namespace {

// Leaves no terminal behind for the other tests.
struct Terminal {
  Terminal() { ShowProgressOn(&screen); }
  ~Terminal() { ShowProgressOn(nullptr); }
  std::ostringstream screen;
};

TEST(ProgressTest, LongWorkShowsFileAndShareDoneThenErasesTheLine) {
  Terminal terminal;
  {
    Progress progress(3);
    progress.BeginFile("crew1.tal", 4096);
    for (int i = 0; i < 1024; ++i) progress.Step();
    EXPECT_EQ(terminal.screen.str(), "") << "a moment's work shows nothing";
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    for (int i = 0; i < 1024; ++i) progress.Step();
    EXPECT_EQ(terminal.screen.str(), "\r\x1b[Kfile 1 of 3: crew1.tal 50%");
    progress.BeginFile("crew2.tal", 0);
    EXPECT_EQ(terminal.screen.str().substr(terminal.screen.str().rfind('\r')),
              "\r\x1b[Kfile 2 of 3: crew2.tal");
  }
  EXPECT_EQ(terminal.screen.str().substr(terminal.screen.str().rfind('\r')), "\r\x1b[K");
}

TEST(ProgressTest, NothingWithoutATerminal) {
  std::ostringstream screen;
  ShowProgressOn(&screen);
  ShowProgressOn(nullptr);
  Progress progress(1);
  progress.BeginFile("big.tal", 1 << 20);
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  for (int i = 0; i < 4096; ++i) progress.Step();
  progress.Erase();
  EXPECT_EQ(screen.str(), "");
}

}  // namespace
}  // namespace woodtick
