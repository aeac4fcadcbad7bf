// Saves killed on a real disk: a child process commits on a real file and
// dies by SIGKILL just before its K-th write, flush or truncation, for every
// K the save has, also on top of an earlier kill and after a save that
// failed on a full disk. After each kill the file must read, in our reader
// and in real Metakit (metakit-reference check, when present), as the last
// state a save acknowledged or the one being saved: nothing else.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "mk/dump.h"
#include "mk/realdisk/kill_switch_file_system.h"
#include "mk/storage.h"
#include "mk/testing/carry_on.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

using Action = KillSwitchFileSystem::Action;
using Op = KillSwitchFileSystem::Op;

constexpr int kTallyRows = 12;
constexpr int kUnits = 4;

void AddPlotRows(View plots, int rows, int seed) {
  int first = plots.GetSize();
  plots.SetSize(first + rows);
  for (int r = first; r < first + rows; ++r) {
    plots.SetString(r, 0, "plot " + std::to_string(r));
    plots.SetString(r, 1, std::string(20 + (r * 7 + seed) % 90, static_cast<char>('a' + r % 26)));
    plots.SetLong(r, 2, int64_t{r} * 1000003 + seed);
  }
}

// A small tally file after a few saves: a count table that every save
// changes, a data table, and free space left by a dropped view.
void BuildTallyFile(const std::string& path) {
  std::unique_ptr<Storage> storage;
  ASSERT_TRUE(Storage::Open(path, &storage).ok());
  std::string fields = "Tally[Key:S";
  for (int u = 0; u < kUnits; ++u) fields += ",U" + std::to_string(u) + ":L";
  View tally = storage->GetAs(fields + "]");
  tally.SetSize(kTallyRows);
  for (int r = 0; r < kTallyRows; ++r) tally.SetString(r, 0, std::string(1, 'A' + r));
  View scratch = storage->GetAs("Scratch[Text:S]");
  scratch.SetSize(20);
  for (int r = 0; r < 20; ++r) scratch.SetString(r, 0, std::string(60, 's'));
  // Enough plots that appends extend the columns in place, and an odd
  // number, so that the last byte of a vector of 4-bit sizes is half used.
  AddPlotRows(storage->GetAs("Plots[Name:S,Notes:S,Count:L]"), 301, 0);
  ASSERT_TRUE(storage->Commit().ok());
  storage->GetAs("Scratch");
  ASSERT_TRUE(storage->Commit().ok());
}

struct Save {
  std::string name;
  // `round` 0 is the first save, 1 the save on top of an earlier kill.
  std::function<void(Storage&, int round)> change;
  bool pack = false;
  int growth = 0;      // +1: the save must grow the file; 0: it must not; -1: either
  bool first = false;  // the first save of a new (empty) file
};

void PrintTo(const Save& save, std::ostream* os) { *os << save.name; }

Status Perform(const Save& save, Storage& storage) {
  return save.pack ? storage.Pack() : storage.Commit();
}

std::vector<Save> Saves() {
  return {
      {"Commit",
       [](Storage& s, int round) {
         View tally = s.GetView("Tally");
         tally.SetLong(3 + round, 1 + round, tally.GetLong(3 + round, 1 + round) + 1);
       }},
      {"RecordCommit",
       [](Storage& s, int round) {
         View tally = s.GetView("Tally");
         tally.SetLong(2, 1, tally.GetLong(2, 1) + 1);
         AddPlotRows(s.GetView("Plots"), 1, round + 1);
       },
       false, -1},
      {"GrowingCommit",
       [](Storage& s, int round) { AddPlotRows(s.GetView("Plots"), 60, round + 1); }, false, 1},
      {"Pack", [](Storage&, int) {}, true},
      {"FirstCommit",
       [](Storage& s, int round) {
         AddPlotRows(s.GetAs("Plots[Name:S,Notes:S,Count:L]"), 30, round + 1);
       },
       false, 1, true},
  };
}

// Operation k (1-based) is the first, a flush or truncation, or the one
// right after those: the points where a save changes what the file reads as
// or how it ends.
bool NextToAFlush(const std::vector<Op>& ops, int k) {
  auto flush = [&ops](int i) {
    return i >= 1 && i <= static_cast<int>(ops.size()) && ops[i - 1] != Op::kWrite;
  };
  return k == 1 || flush(k) || flush(k - 1);
}

// The file's dump, or the reason it cannot be read (which no dump equals).
std::string DumpOrReason(const std::string& path) {
  Status s;
  std::string dump = DumpFile(path, &s);
  return s.ok() ? dump : "unreadable: " + s.message();
}

// What the kills of one test came to.
struct Tally {
  int crash_points = 0;  // distinct (earlier kill, operation) pairs
  int kills = 0;
  int lost = 0;           // the file read as neither allowed state
  int rejected = 0;       // metakit-reference check refused the file
  int carried = 0;        // kills after which the next runs saved on
  int damaged_later = 0;  // of those, files a later save damaged
  bool reference = false;
  std::map<std::string, bool> verdicts;  // file bytes -> reference verdict
};

class RealDiskCrashTest : public ::testing::TestWithParam<Save> {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("realdisk-" + GetParam().name);
    path_ = dir_ + "/tally.tal";
    if (GetParam().first) {
      WriteBytes(path_, "");
    } else {
      BuildTallyFile(path_);
    }
    base_ = ReadBytes(path_);
    tally_.reference = !ReferenceToolPath().empty();
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    std::printf(
        "[ realdisk ] %s: %d crash points, %d kills, %d lost saves, %d reference "
        "rejections, %d carried on with %d saves each, %d damaged later%s\n",
        GetParam().name.c_str(), tally_.crash_points, tally_.kills, tally_.lost, tally_.rejected,
        tally_.carried, kCarryOnSteps, tally_.damaged_later,
        tally_.reference ? "" : " (metakit-reference absent: not run)");
  }

  // The state `save` makes of `bytes` in round `round`, saved without a
  // fault, and the operations that takes.
  std::string NewState(const std::string& bytes, int round, std::vector<Op>* ops = nullptr) {
    std::string copy = dir_ + "/clean.tal";
    WriteBytes(copy, bytes);
    KillSwitchFileSystem fs;
    std::unique_ptr<Storage> storage;
    EXPECT_TRUE(Storage::Open(copy, &storage, &fs).ok());
    if (!storage) return "unreadable: ";
    GetParam().change(*storage, round);
    fs.Arm(0, Action::kKill);
    Status s = Perform(GetParam(), *storage);
    EXPECT_TRUE(s.ok()) << s.message();
    if (ops) *ops = fs.ops();
    if (round == 0) {
      // The saves of the first round do what their names say.
      size_t size = ReadBytes(copy).size();
      if (GetParam().growth > 0) {
        EXPECT_GT(size, bytes.size()) << "did not grow";
      } else if (!GetParam().pack && GetParam().growth == 0) {
        EXPECT_EQ(size, bytes.size()) << "did not fit";
      }
    }
    return DumpOrReason(copy);
  }

  enum class Outcome { kKilled, kCompleted, kFirstSaveSucceeded, kBroken };

  // A new process opens the file through a kill switch and runs `body`,
  // whose result is its exit status; -1 when it could not be waited for.
  int InChild(const std::function<int(Storage&, KillSwitchFileSystem&)>& body) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
      KillSwitchFileSystem fs;
      std::unique_ptr<Storage> storage;
      if (!Storage::Open(path_, &storage, &fs).ok()) _exit(3);
      _exit(body(*storage, fs));
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return status;
  }

  // A child opens the file, changes it and saves; first with a full disk at
  // operation `fail_at` (0: no such save), then killed at `kill_at`.
  Outcome Child(int round, int fail_at, int kill_at) {
    int status = InChild([&](Storage& storage, KillSwitchFileSystem& fs) {
      GetParam().change(storage, round);
      if (fail_at > 0) {
        fs.Arm(fail_at, Action::kFailNoSpace);
        if (Perform(GetParam(), storage).ok()) return 4;
      }
      fs.Arm(kill_at, Action::kKill);
      return Perform(GetParam(), storage).ok() ? 0 : 5;
    });
    if (status == -1) return Outcome::kBroken;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return Outcome::kKilled;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Outcome::kCompleted;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 4) return Outcome::kFirstSaveSucceeded;
    ADD_FAILURE() << "child ended with status " << status;
    return Outcome::kBroken;
  }

  // The two states a kill may leave, and what the saves after a restart
  // make of each.
  struct Expected {
    std::string old_state, new_state;
    std::vector<std::string> carry_old, carry_new;
    bool nested = false;  // the kill is on top of an earlier fault
  };

  // The file a kill left: our reader must see the old or the new state,
  // real Metakit must accept it, and so it must stay through the saves
  // of the next runs of the program.
  void Verify(const Expected& expected, const std::string& what, bool carry_on = true) {
    ++tally_.kills;
    Status s;
    std::string dump = DumpFile(path_, &s);
    if (!s.ok() || (dump != expected.old_state && dump != expected.new_state)) {
      ++tally_.lost;
      ADD_FAILURE() << what << ": " << (s.ok() ? "neither the old nor the new state" : s.message());
    }
    CheckReference(what);
    if (!carry_on || (dump != expected.old_state && dump != expected.new_state)) return;
    std::string after = ReadBytes(path_);
    // After kills on top of others real Metakit is asked only about the
    // last saves.
    std::string carried = CarryOn(
        path_, DefaultFileSystem(),
        dump == expected.old_state ? expected.carry_old : expected.carry_new,
        [this](int step) { return CarryOnStepInNewProcess(path_, step); },
        expected.nested ? kCarryOnSteps - 2 : 0);
    ++tally_.carried;
    if (!carried.empty()) {
      ++tally_.damaged_later;
      ADD_FAILURE() << what << ", " << carried;
    }
    // A full disk on top of the kill: the next run's save fails from its
    // second write or flush on, and the run after that carries on. (A file
    // without views has no row to append.)
    if (!expected.nested && dump.find("\nview ") != std::string::npos) {
      WriteBytes(path_, after);
      ASSERT_TRUE(FailASaveInNewProcess(2)) << what << ": the save on a full disk";
      carried = CarryOn(path_, DefaultFileSystem(),
                        dump == expected.old_state ? expected.carry_old : expected.carry_new,
                        [this](int step) { return CarryOnStepInNewProcess(path_, step); });
      if (!carried.empty()) ADD_FAILURE() << what << ", then a full disk, " << carried;
    }
    WriteBytes(path_, after);  // what the kill left, for the tests that go on from it
  }

  // A new run appends a row and saves on a disk that is full from
  // operation `fail_at` on; true when the save failed so.
  bool FailASaveInNewProcess(int fail_at) {
    int status = InChild([fail_at](Storage& storage, KillSwitchFileSystem& fs) {
      CarryOnChange(storage, 1);
      fs.Arm(fail_at, Action::kDiskFull);
      return storage.Commit().ok() ? 4 : 0;
    });
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  void CheckReference(const std::string& what) {
    if (!tally_.reference) return;
    std::string bytes = ReadBytes(path_);
    auto known = tally_.verdicts.find(bytes);
    bool accepted;
    if (known != tally_.verdicts.end()) {
      accepted = known->second;
    } else {
      ReferenceVerdict verdict;
      ReferenceCheck(path_, &verdict);
      accepted = verdict.accepted;
      tally_.verdicts[bytes] = accepted;
      if (!accepted) ADD_FAILURE() << what << ": metakit-reference: " << verdict.output;
    }
    if (!accepted) ++tally_.rejected;
  }

  // Kills a save of `start` at every operation in turn. `then` is called
  // with the states left by kills next to a flush or truncation, where the
  // file changes what it reads as or how it ends.
  void KillEverywhere(const std::string& start, int round, int fail_at, const std::string& what,
                      const std::function<void(const std::string&)>& then = nullptr) {
    WriteBytes(path_, start);
    Expected expected;
    expected.old_state = DumpOrReason(path_);
    std::vector<Op> ops;
    expected.new_state = NewState(start, round, &ops);
    ASSERT_EQ(expected.old_state.find("unreadable: "), std::string::npos) << expected.old_state;
    ASSERT_EQ(expected.new_state.find("unreadable: "), std::string::npos) << expected.new_state;
    expected.carry_old = CarryOnDumps(start);
    expected.carry_new = CarryOnDumps(ReadBytes(dir_ + "/clean.tal"));
    expected.nested = round > 0 || fail_at > 0;
    for (int k = 1;; ++k) {
      ASSERT_LT(k, 500) << "a save that never ends";
      WriteBytes(path_, start);
      Outcome outcome = Child(round, fail_at, k);
      ASSERT_NE(outcome, Outcome::kBroken);
      if (outcome == Outcome::kCompleted) break;
      ++tally_.crash_points;
      std::string at = what + "kill at operation " + std::to_string(k);
      // Kills on top of an earlier fault come by the hundred: the next runs
      // carry on from those next to a flush or truncation, where the file
      // changes what it reads as or how it ends.
      Verify(expected, at, !expected.nested || NextToAFlush(ops, k));
      if (then && NextToAFlush(ops, k)) then(at + ", then ");
    }
  }

  std::string dir_, path_, base_;
  Tally tally_;
};

TEST_P(RealDiskCrashTest, KillAtEveryOperation) { KillEverywhere(base_, 0, 0, ""); }

// The kill leaves the file in either state; a new run of the program saves
// again on top of it and is killed too (at every operation, on top of the
// kills next to each flush and truncation of the first save).
TEST_P(RealDiskCrashTest, KillOnTopOfAnEarlierKill) {
  KillEverywhere(base_, 0, 0, "", [this](const std::string& what) {
    std::string after = ReadBytes(path_);
    KillEverywhere(after, 1, 0, what);
  });
}

// In one run: a save fails on a full disk at some operation, the program
// keeps its data and saves again, and is killed.
// In one run: a save fails on a full disk next to one of its flushes, the
// program keeps its data and saves again, and is killed at every operation.
TEST_P(RealDiskCrashTest, KillAfterAFailedSave) {
  std::vector<Op> ops;
  std::string new_state = NewState(base_, 0, &ops);
  for (int fail_at = 1; fail_at <= static_cast<int>(ops.size()); ++fail_at) {
    if (!NextToAFlush(ops, fail_at)) continue;
    WriteBytes(path_, base_);
    ASSERT_EQ(Child(0, fail_at, 0), Outcome::kCompleted);
    EXPECT_EQ(DumpOrReason(path_), new_state)
        << "the save after a full disk at operation " << fail_at;
    KillEverywhere(base_, 0, fail_at, "full disk at operation " + std::to_string(fail_at) + ", ");
  }
}

INSTANTIATE_TEST_SUITE_P(Saves, RealDiskCrashTest, ::testing::ValuesIn(Saves()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace mk
