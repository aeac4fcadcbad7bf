// Helpers shared by the store's tests: a reporter that records, fixture
// copies in a temporary folder, and reading a view straight from a file
// (on the real disk unless another file system is given).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mk/storage.h"
#include "platform/temp_dir.h"
#include "store/cell_value.h"
#include "store/store_reporter.h"

namespace woodtick {

class RecordingReporter : public StoreReporter {
 public:
  void InternalError(const std::string& text) override { internal_errors.push_back(text); }
  void CommitFailed(const std::string& text) override { commit_failures.push_back(text); }
  std::vector<std::string> internal_errors;
  std::vector<std::string> commit_failures;
};

inline std::string Fixture(const std::string& name) {
  return std::string(WOODTICK_TESTDATA) + "/mk/" + name;
}

using Rows = std::vector<std::vector<std::string>>;

// Every cell of the file's view as text, read by a storage of its own.
inline Rows FileRows(const std::string& path, const std::string& view_name,
                     mk::FileSystem* fs = mk::DefaultFileSystem()) {
  std::unique_ptr<mk::Storage> storage;
  mk::Status status = mk::Storage::Open(path, &storage, fs);
  EXPECT_TRUE(status.ok()) << status.message();
  Rows rows;
  if (!status.ok() || !storage->HasView(view_name)) return rows;
  mk::View view = storage->GetView(view_name);
  for (int r = 0; r < view.GetSize(); ++r) {
    rows.emplace_back();
    for (int c = 0; c < view.NumProperties(); ++c) {
      std::string text;
      ReadCellText(view, r, c, &text);
      rows.back().push_back(text);
    }
  }
  return rows;
}

// The file's whole structure, read by a storage of its own.
inline std::string FileStructure(const std::string& path,
                                 mk::FileSystem* fs = mk::DefaultFileSystem()) {
  std::unique_ptr<mk::Storage> storage;
  mk::Status status = mk::Storage::Open(path, &storage, fs);
  EXPECT_TRUE(status.ok()) << status.message();
  return status.ok() ? storage->Description() : "";
}

}  // namespace woodtick
