#include "model/testing/model_test_base.h"

#include "mk/convert.h"
#include "mk/storage.h"
#include "mk/testing/test_support.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

std::string CellText(const mk::View& view, int row, int col) {
  switch (view.NthProperty(col).type) {
    case 'S':
      return std::string(view.GetString(row, col));
    case 'I':
      return mk::LongToText(view.GetInt(row, col));
    case 'L':
      return mk::LongToText(view.GetLong(row, col));
    case 'F':
      return mk::FloatToText(view.GetFloat(row, col));
    case 'D':
      return mk::DoubleToText(view.GetDouble(row, col));
    default:
      return "?";
  }
}

}  // namespace

Rows DiskRows(const std::string& path, const std::string& name, mk::FileSystem* fs) {
  std::unique_ptr<mk::Storage> storage;
  mk::Status status = mk::Storage::Open(path, &storage, fs);
  EXPECT_TRUE(status.ok()) << status.message();
  Rows rows;
  if (!status.ok()) return rows;
  mk::View view = storage->GetView(name);
  for (int r = 0; r < view.GetSize(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < view.NumProperties(); ++c) row.push_back(CellText(view, r, c));
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> DiskColumns(const std::string& path, const std::string& name,
                                     mk::FileSystem* fs) {
  std::unique_ptr<mk::Storage> storage;
  std::vector<std::string> names;
  if (!mk::Storage::Open(path, &storage, fs).ok()) return names;
  mk::View view = storage->GetView(name);
  for (int c = 0; c < view.NumProperties(); ++c) names.push_back(view.NthProperty(c).name);
  return names;
}

std::string FileBytes(const std::string& path, mk::FileSystem* fs) {
  std::unique_ptr<mk::RandomAccessFile> file;
  uint64_t size = 0;
  if (!fs->OpenFile(path, false, &file).ok() || !file->Size(&size).ok()) return "";
  std::string bytes(size, '\0');
  return file->Read(0, bytes.size(), bytes.data()).ok() ? bytes : "";
}

Rows SlotRows(DataStore& store, int slot) {
  Rows rows;
  mk::View view = store.View(slot);
  for (int r = 0; r < view.GetSize(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < view.NumProperties(); ++c) {
      std::string text;
      store.GetString(slot, r, c, &text);
      row.push_back(text);
    }
    rows.push_back(row);
  }
  return rows;
}

ModelTest::ModelTest() = default;
ModelTest::~ModelTest() { model_.reset(); }

void ModelTest::UseRealDisk(const std::string& folder) {
  env_ = SystemEnv();
  disk_ = env_->files();
  folder_ = folder;
}

bool ModelTest::Exists(const std::string& path) const {
  std::unique_ptr<mk::RandomAccessFile> file;
  return disk_->OpenFile(path, false, &file).ok();
}

std::string ModelTest::Build(const std::string& name, const TallyFileSpec& spec) {
  std::string path = File(name);
  std::string error;
  EXPECT_TRUE(BuildTallyFile(path, spec, &error, *env_)) << error;
  return path;
}

std::string ModelTest::CopyFixture(const std::string& name) {
  return CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/" + name, name);
}

std::string ModelTest::CopyExample() {
  return CopyIn(std::string(WOODTICK_TESTDATA) + "/../examples/forest.tal", "forest.tal");
}

std::string ModelTest::CopyIn(const std::string& source, const std::string& name) {
  std::string bytes = mk::ReadBytes(source);
  std::string path = File(name);
  std::unique_ptr<mk::RandomAccessFile> file;
  mk::Status status = disk_->OpenFile(path, true, &file);
  if (status.ok()) status = file->Write(0, bytes);
  if (status.ok()) status = file->Sync();
  EXPECT_TRUE(status.ok()) << status.message();
  return path;
}

TallyModel& ModelTest::Open(const std::string& path) {
  EXPECT_TRUE(TryOpen(path)) << (ui_.messages.empty() ? "" : ui_.messages.back().text);
  return *model_;
}

bool ModelTest::TryOpen(const std::string& path) {
  model_.reset();
  model_ = std::make_unique<TallyModel>(ui_, TallyModelOptions{env_});
  model_->SetStartupFile(path);
  return model_->OpenTallyFile();
}

void ModelTest::Press(const std::string& keys) {
  for (char key : keys) model_->tallying().SetKeyBoxText(std::string(1, key));
}

std::vector<std::string> ModelTest::DiskLog(const std::string& path) {
  std::vector<std::string> log;
  for (const auto& row : DiskRows(path, "MessageLog")) log.push_back(row.at(1));
  return log;
}

}  // namespace woodtick
