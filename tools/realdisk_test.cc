// Nothing is lost on a real disk: the tally model and woodtick-cli against
// real files, real file systems and real second processes. A small tmpfs
// filled to the last byte and made read-only (when run as root), a file
// deleted or replaced while open, the lock tried by another program in a
// loop through the Setup cycle, and the writing commands against a held file.
// Whatever is left on disk is checked by our reader and, when it is beside
// the sources, by the reference Metakit checker.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "model/testing/model_test_base.h"
#include "platform/file_lock.h"
#include "platform/testing/lock_prober.h"

namespace woodtick {
namespace {

using ::testing::HasSubstr;

// Runs a program with `args`; its exit status (-1 when it did not exit),
// with what it wrote to stdout and stderr in *output.
int RunProgram(const std::vector<std::string>& args, std::string* output = nullptr) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipe_fds[1], 1);
    ::dup2(pipe_fds[1], 2);
    ::close(pipe_fds[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveReferenceChecker() { return ::access(WOODTICK_METAKIT_REFERENCE, X_OK) == 0; }

// Our reader's check and, when present, the reference Metakit checker.
void ExpectSound(const std::string& path) {
  std::string output;
  EXPECT_EQ(RunProgram({WOODTICK_CLI, "check", path}, &output), 0) << output;
  if (HaveReferenceChecker()) {
    EXPECT_EQ(RunProgram({WOODTICK_METAKIT_REFERENCE, "check", path}, &output), 0) << output;
  }
}

// A tmpfs of `kib` KiB mounted on a fresh folder for the life of the object.
class SmallDisk {
 public:
  explicit SmallDisk(const TempDir& dir, int kib) : path_(dir.File("disk")) {
    std::filesystem::create_directory(path_);
    std::string options = "size=" + std::to_string(kib) + "k";
    if (::mount("woodtick-test", path_.c_str(), "tmpfs", 0, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      why_not_ = std::strerror(errno);
    }
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& why_not() const { return why_not_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  bool SetReadOnly(bool read_only) {
    unsigned long flags = MS_REMOUNT | (read_only ? MS_RDONLY : 0);
    return ::mount("woodtick-test", path_.c_str(), "tmpfs", flags, nullptr) == 0;
  }
  // Writes `name` until the disk is full; its size.
  uint64_t Fill(const std::string& name) const {
    std::FILE* f = std::fopen(File(name).c_str(), "wb");
    std::string block(4096, 'x');
    uint64_t written = 0;
    while (f != nullptr && std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
      written += block.size();
      if (std::fflush(f) != 0) break;
    }
    if (f != nullptr) std::fclose(f);
    // Whatever single bytes are left go too.
    int fd = ::open(File(name).c_str(), O_WRONLY | O_APPEND);
    while (fd >= 0 && ::write(fd, "x", 1) == 1) ++written;
    if (fd >= 0) ::close(fd);
    return written;
  }

 private:
  std::string path_;
  bool mounted_ = false;
  std::string why_not_;
};

class RealDiskTest : public RealDiskModelTest {
 protected:
  // Ash: every tally a HIT whose record (in Trees) carries a long note, so
  // the file grows with every tally. Birch: counted only.
  TallyFileSpec GrowingSpec() {
    return {.populations = {{.key = "A", .label = "Ash", .meth = "C", .dat_table = "Trees"},
                            {.key = "B", .label = "Birch", .meth = " "}},
            .tables = {{.name = "Trees", .columns = {"Unit", "Num", "Label", "Note"}}}};
  }
  void FillRecordsWithNotes() {
    ui_.record_editor = [](const RecordEditorRequest& r) {
      mk::View view = r.store->View(r.slot);
      r.store->SetString(r.slot, r.row, view.FindPropIndexByName("Note"), std::string(1500, 'n'));
    };
  }
  std::string BuildAt(const std::string& path, const TallyFileSpec& spec) {
    std::string error;
    EXPECT_TRUE(BuildTallyFile(path, spec, &error)) << error;
    return path;
  }
  // A model on `path` with the real file system, opened as from the command line.
  TallyModel& OpenReal(const std::string& path) { return Open(path); }
  std::string Count(const std::string& path, int row) {
    return DiskRows(path, "Tally").at(row).at(6);
  }
};

TEST_F(RealDiskTest, AFullDiskLosesNoTallyOnceThereIsRoomAgain) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  SmallDisk disk(dir_, 512);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << disk.why_not();
  std::string path = BuildAt(disk.File("full.tal"), GrowingSpec());
  FillRecordsWithNotes();
  TallyModel& model = OpenReal(path);

  // Filled by another file: every tally after this stays in memory.
  disk.Fill("other");
  for (int i = 0; i < 20; ++i) Press("AB");
  EXPECT_EQ(ui_.CountTitled("Data Not Saved"), 1);
  ExpectSound(path);  // what is on disk is the last saved state, whole
  std::filesystem::remove(disk.File("other"));
  Press("B");
  EXPECT_EQ(Count(path, 0), "20");
  EXPECT_EQ(Count(path, 1), "21");
  EXPECT_EQ(DiskRows(path, "Trees").size(), 20u);
  ExpectSound(path);

  // Filled by the file's own growth, with some room kept aside in "spare".
  {
    std::ofstream spare(disk.File("spare"), std::ios::binary);
    spare << std::string(192 * 1024, 's');
  }
  int before = ui_.CountTitled("Data Not Saved");
  int pressed = 0;
  while (ui_.CountTitled("Data Not Saved") == before && pressed < 2000) {
    Press("A");
    ++pressed;
  }
  ASSERT_GT(ui_.CountTitled("Data Not Saved"), before) << "the disk never filled up";
  for (int i = 0; i < 10; ++i) Press("A");
  pressed += 10;
  ExpectSound(path);
  std::filesystem::remove(disk.File("spare"));
  // The last save, at the close, takes every tally held in memory.
  model.CloseTallyFile();
  EXPECT_EQ(Count(path, 0), std::to_string(20 + pressed));
  EXPECT_EQ(DiskRows(path, "Trees").size(), static_cast<size_t>(20 + pressed));
  EXPECT_EQ(DiskLog(path).back(), "Tally File Closed");
  ExpectSound(path);
}

TEST_F(RealDiskTest, TheLastSaveOnAFullDiskIsToldAndRetriedAfterRoomIsMade) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  SmallDisk disk(dir_, 512);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << disk.why_not();
  std::string path = BuildAt(disk.File("exit.tal"), GrowingSpec());
  FillRecordsWithNotes();
  TallyModel& model = OpenReal(path);
  Press("A");
  disk.Fill("other");
  for (int i = 0; i < 30; ++i) Press("A");
  // Retry while still full: told again. Then the user frees space and retries.
  ui_.answers = {MessageAnswer::kRetry, MessageAnswer::kRetry};
  int retry_boxes = 0;
  ui_.on_message = [&](const Message& m) {
    if (m.buttons == MessageButtons::kRetryCancel && ++retry_boxes == 2) {
      std::filesystem::remove(disk.File("other"));
    }
  };
  model.CloseTallyFile();
  EXPECT_EQ(retry_boxes, 2);
  EXPECT_EQ(Count(path, 0), "31");
  EXPECT_EQ(DiskRows(path, "Trees").size(), 31u);
  ExpectSound(path);
}

TEST_F(RealDiskTest, AReadOnlyFileIsRefusedAtOpenAndToldWhileOpen) {
  std::string path;
  std::unique_ptr<SmallDisk> disk;
  auto set_read_only = [&](bool on) {
    if (disk) return disk->SetReadOnly(on);
    return ::chmod(path.c_str(), on ? 0444 : 0644) == 0;
  };
  if (::geteuid() == 0) {
    disk = std::make_unique<SmallDisk>(dir_, 1024);
    if (!disk->mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << disk->why_not();
    path = BuildAt(disk->File("ro.tal"), GrowingSpec());
  } else {
    path = BuildAt(dir_.File("ro.tal"), GrowingSpec());
  }
  ASSERT_TRUE(set_read_only(true));
  std::string bytes = FileBytes(path);
  model_ = std::make_unique<TallyModel>(ui_, TallyModelOptions{env_});
  model_->SetStartupFile(path);
  EXPECT_FALSE(model_->OpenTallyFile());
  ASSERT_NE(ui_.LastMessage(), nullptr);
  EXPECT_EQ(ui_.LastMessage()->title, "File Cannot Be Written");
  EXPECT_THAT(ui_.LastMessage()->text, HasSubstr("ro.tal cannot be written: "));
  EXPECT_EQ(FileBytes(path), bytes);

  ASSERT_TRUE(set_read_only(false));
  TallyModel& model = OpenReal(path);
  FillRecordsWithNotes();
  Press("AB");
  ASSERT_TRUE(set_read_only(true));
  Press("ABAB");
  EXPECT_EQ(ui_.CountTitled("Data Not Saved"), 1);
  ui_.answers = {MessageAnswer::kRetry};
  ui_.on_message = [&](const Message& m) {
    if (m.buttons == MessageButtons::kRetryCancel) set_read_only(false);
  };
  model.CloseTallyFile();
  EXPECT_EQ(Count(path, 0), "3");
  EXPECT_EQ(Count(path, 1), "3");
  ExpectSound(path);
}

TEST_F(RealDiskTest, AFileDeletedWhileOpenIsNeverReplacedBehindAnotherProgramsBack) {
  std::string path = BuildAt(dir_.File("gone.tal"), GrowingSpec());
  TallyModel& model = OpenReal(path);
  Press("BB");
  ASSERT_TRUE(std::filesystem::remove(path));
  Press("B");  // told; "not now"
  EXPECT_EQ(ui_.CountTitled("Tally File Moved"), 1);
  EXPECT_FALSE(std::filesystem::exists(path)) << "a save made a new file without its lock";

  // Another program makes a new tally file under the name and tallies into it.
  std::string output;
  ASSERT_EQ(RunProgram({WOODTICK_CLI, "new", path}, &output), 0) << output;
  std::string theirs = FileBytes(path);
  Press("B");
  EXPECT_EQ(FileBytes(path), theirs);

  // At the close: "save there again" is refused, the data goes elsewhere.
  std::string elsewhere = dir_.File("elsewhere.tal");
  ui_.answers = {MessageAnswer::kYes, MessageAnswer::kNo};
  ui_.save_file_names = {elsewhere};
  model.CloseTallyFile();
  EXPECT_EQ(FileBytes(path), theirs);
  EXPECT_EQ(Count(elsewhere, 1), "4");
  EXPECT_EQ(DiskLog(elsewhere).back(), "Tally File Closed");
  ExpectSound(elsewhere);
  ExpectSound(path);
}

TEST_F(RealDiskTest, NoOtherProgramGetsTheFileThroughSetupAndNoWriterTouchesIt) {
  std::string path = BuildAt(dir_.File("setup.tal"), GrowingSpec());
  TallyModel& model = OpenReal(path);
  LockProber prober(path);
  ui_.setup_screen = [](TallyModel& m, DataStore&, int) {
    m.settings().SetShowCountsOnButtons(true);
  };
  int refused = 0;
  for (int i = 0; i < 10; ++i) {
    model.RunSetup();
    Press("B");
    // The writing commands of woodtick-cli, as other programs, meanwhile.
    std::string bytes = FileBytes(path);
    std::string output;
    refused += RunProgram({WOODTICK_CLI, "pack", path}, &output) == 1 &&
               output.find("in use by another application") != std::string::npos;
    EXPECT_EQ(FileBytes(path), bytes) << "pack wrote into a held file";
  }
  LockProber::Result seen = prober.Stop();
  EXPECT_GT(seen.tries, 0);
  EXPECT_EQ(seen.got, 0) << "another program got the lock during the Setup cycle";
  EXPECT_EQ(refused, 10);
  EXPECT_THAT(ui_.MessageTexts(), ::testing::IsEmpty());
  model_.reset();
  EXPECT_EQ(Count(path, 1), "10");
  ExpectSound(path);
}

TEST_F(RealDiskTest, PackExportAndNewLeaveAHeldFileByteForByte) {
  std::string path = BuildAt(dir_.File("held.tal"), GrowingSpec());
  OpenReal(path);
  Press("AB");
  std::string bytes = FileBytes(path);
  std::string output;
  EXPECT_EQ(RunProgram({WOODTICK_CLI, "pack", path}, &output), 1);
  EXPECT_THAT(output, HasSubstr("in use by another application"));
  EXPECT_EQ(RunProgram({WOODTICK_CLI, "export", path}, &output), 1);
  EXPECT_THAT(output, HasSubstr("in use by another application"));
  EXPECT_EQ(RunProgram({WOODTICK_CLI, "new", path}, &output), 1);
  EXPECT_THAT(output, HasSubstr("in use by another application"));
  EXPECT_EQ(FileBytes(path), bytes);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("held.csv")));
  model_.reset();
  EXPECT_EQ(RunProgram({WOODTICK_CLI, "pack", path}, &output), 0) << output;
  ExpectSound(path);
}

}  // namespace
}  // namespace woodtick
