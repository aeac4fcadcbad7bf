// The common ground of the model's tests: a temporary folder, a FakeUi, a
// fixed clock, tally files built or copied into the folder, and readers of
// what a file holds on disk.
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
#include "platform/temp_dir.h"
#include "platform/testing/parts_env.h"

namespace woodtick {

// Every cell of a view as text, rows in order; read from the file itself.
using Rows = std::vector<std::vector<std::string>>;
Rows DiskRows(const std::string& path, const std::string& view);
// The column names of a view in the file.
std::vector<std::string> DiskColumns(const std::string& path, const std::string& view);
// The whole file's bytes.
std::string FileBytes(const std::string& path);

// Every cell of a slot's view as text.
Rows SlotRows(DataStore& store, int slot);

class ModelTest : public ::testing::Test {
 protected:
  ModelTest();
  ~ModelTest() override;

  // Builds a tally file `name` in the folder and returns its path.
  std::string Build(const std::string& name, const TallyFileSpec& spec);
  // Copies a reference file of testdata/mk into the folder.
  std::string CopyFixture(const std::string& name);
  // A new model on `path` (as given on the command line), opened.
  TallyModel& Open(const std::string& path, mk::FileSystem* fs = nullptr);
  // Presses each character of `keys` on the tally screen.
  void Press(const std::string& keys);

  // The Msg column of the file's MessageLog, in order.
  std::vector<std::string> DiskLog(const std::string& path);

  TempDir dir_;
  FakeUi ui_;
  FixedClock clock_{LocalDateTime{2005, 5, 3, 9, 5, 0}, 1115111111};
  mk::FaultInjectionFileSystem fault_fs_;  // outlives model_, which may use it
  PartsEnv env_{&clock_};                  // outlives model_ too
  std::unique_ptr<TallyModel> model_;
};

}  // namespace woodtick
