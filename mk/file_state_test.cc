// The free space a commit carries over from the state before equals the one
// worked out from all of the new state's blocks, whatever the commit did.
#include "mk/file_state.h"

#include <memory>
#include <random>
#include <string>

#include "gtest/gtest.h"
#include "mk/known_files.h"
#include "mk/storage.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

std::string Text(std::mt19937* rng) {
  // Short items stay inline; long ones become memo items of their own.
  size_t n = (*rng)() % 4 == 0 ? 3000 + (*rng)() % 5000 : (*rng)() % 40;
  return std::string(n, static_cast<char>('a' + (*rng)() % 26));
}

TEST(FileStateTest, CarriedFreeSpaceMatchesTheOneWorkedOutAfresh) {
  std::string path = MakeScratchDir("file_state_test") + "/carried.tal";
  std::mt19937 rng(7);
  int carried = 0;
  for (int step = 0; step < 100; ++step) {
    std::unique_ptr<Storage> storage;
    ASSERT_TRUE(Storage::Open(path, &storage).ok());
    View t = storage->GetAs("T[N:I,S:S,B:B,L:L]");
    if (step == 0) {
      t.SetSize(60);
      for (int r = 0; r < 60; ++r) t.SetString(r, 1, Text(&rng));
    }
    switch (rng() % 6) {
      case 0:  // one number, as a tally does
        t.SetLong(static_cast<int>(rng() % t.GetSize()), 3, step);
        break;
      case 1:  // a text that may move between inline and memo
        t.SetString(static_cast<int>(rng() % t.GetSize()), 1, Text(&rng));
        break;
      case 2: {  // a record appended
        int r = t.GetSize();
        t.SetSize(r + 1);
        t.SetString(r, 1, Text(&rng));
        t.SetInt(r, 0, step);
        break;
      }
      case 3:  // records removed: blocks shrink and free space opens
        if (t.GetSize() > 10) t.RemoveAt(static_cast<int>(rng() % 5), 1 + rng() % 6);
        break;
      case 4:  // a second view comes and goes
        if (storage->HasView("U")) {
          storage->GetAs("U");
        } else {
          View u = storage->GetAs("U[X:S]");
          u.SetSize(3);
          u.SetString(1, 0, Text(&rng));
        }
        break;
      default:  // nothing changed
        break;
    }
    ASSERT_TRUE(storage->Commit().ok()) << step;
    std::unique_ptr<RandomAccessFile> file;
    ASSERT_TRUE(DefaultFileSystem()->OpenFile(path, false, &file).ok());
    FileState known;
    ASSERT_TRUE(DefaultFileSystem()->known_files().Recall(path, file.get(), &known)) << step;
    if (known.free) ++carried;
    FileState fresh = known;
    fresh.free.reset();
    EXPECT_EQ(FreeSpaceOf(known).ranges, FreeSpaceOf(fresh).ranges) << "after step " << step;
  }
  // Most commits carry their free space over; the rest were worked out.
  EXPECT_GT(carried, 30);
}

}  // namespace
}  // namespace mk
