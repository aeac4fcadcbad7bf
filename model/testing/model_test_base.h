// The common ground of the model's tests: a FakeUi, tally files built or
// copied in, and readers of what a file holds on its "disk".
//
// ModelTest keeps everything in memory (a MemoryEnv, its clock fixed, its
// faults at hand); RealDiskModelTest puts the files in a temporary folder
// on the real disk and runs the model on the real machine, for tests whose
// subject is the real file system, real locks or other processes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mk/file_system.h"
#include "mk/testing/fault_injection_file_system.h"
#include "model/tally_model.h"
#include "model/testing/fake_ui.h"
#include "model/testing/model_fixture.h"
#include "platform/clock.h"
#include "platform/env.h"
#include "platform/temp_dir.h"
#include "platform/testing/memory_env.h"

namespace woodtick {

// Every cell of a view as text, rows in order; read from the file itself.
using Rows = std::vector<std::vector<std::string>>;
Rows DiskRows(const std::string& path, const std::string& view,
              mk::FileSystem* fs = mk::DefaultFileSystem());
// The column names of a view in the file.
std::vector<std::string> DiskColumns(const std::string& path, const std::string& view,
                                     mk::FileSystem* fs = mk::DefaultFileSystem());
// The whole file's bytes; empty when it cannot be read.
std::string FileBytes(const std::string& path, mk::FileSystem* fs = mk::DefaultFileSystem());

// Every cell of a slot's view as text.
Rows SlotRows(DataStore& store, int slot);

class ModelTest : public ::testing::Test {
 protected:
  ModelTest();
  ~ModelTest() override;

  // The path of `name` in the test's folder.
  std::string File(const std::string& name) const { return folder_ + "/" + name; }
  bool Exists(const std::string& path) const;
  // Builds a tally file `name` in the folder and returns its path.
  std::string Build(const std::string& name, const TallyFileSpec& spec);
  // Copies a reference file of testdata/mk into the folder.
  std::string CopyFixture(const std::string& name);
  // Copies the bundled example, examples/forest.tal, into the folder.
  std::string CopyExample();
  // A new model on `path` (as given on the command line), opened.
  TallyModel& Open(const std::string& path);
  // The same, for a file that may be refused: false with the message told.
  bool TryOpen(const std::string& path);
  // Presses each character of `keys` on the tally screen.
  void Press(const std::string& keys);

  // What the file holds, read past every injected fault.
  Rows DiskRows(const std::string& path, const std::string& view) {
    return woodtick::DiskRows(path, view, disk_);
  }
  std::vector<std::string> DiskColumns(const std::string& path, const std::string& view) {
    return woodtick::DiskColumns(path, view, disk_);
  }
  std::string FileBytes(const std::string& path) { return woodtick::FileBytes(path, disk_); }
  // The Msg column of the file's MessageLog, in order.
  std::vector<std::string> DiskLog(const std::string& path);

  // Moves the test's files to `folder` on the real disk and its models to
  // the real machine.
  void UseRealDisk(const std::string& folder);

  FakeUi ui_;
  MemoryEnv memory_env_;  // outlives model_, which may use it
  // The clock and the faults of the memory machine: on the real disk they
  // have no effect.
  FixedClock& clock_ = memory_env_.fixed_clock();
  mk::FaultInjectionFileSystem& fault_fs_ = memory_env_.faults();
  Env* env_ = &memory_env_;  // what the models run on
  std::unique_ptr<TallyModel> model_;

 private:
  // Copies the file at `source` to `name` in the folder; its path there.
  std::string CopyIn(const std::string& source, const std::string& name);

  mk::FileSystem* disk_ = &memory_env_.disk();
  std::string folder_ = "/tally";
};

// The files in a temporary folder on the real disk, the model on the real
// machine (its clock included).
class RealDiskModelTest : public ModelTest {
 protected:
  RealDiskModelTest() { UseRealDisk(dir_.path()); }

  TempDir dir_;
};

}  // namespace woodtick
