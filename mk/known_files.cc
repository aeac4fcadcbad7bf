#include "mk/known_files.h"

#include <utility>

#include "mk/writer.h"

namespace mk {
namespace {

// A program has one or two tally files open at a time; a few entries keep
// the memory bounded.
constexpr size_t kMaxKnown = 4;

// The commit tail of `state` is still at its place in `file`.
bool TailMatches(RandomAccessFile* file, const FileState& state) {
  char tail[8];
  if (!file->Read(static_cast<uint64_t>(state.commit_tail), sizeof tail, tail).ok()) return false;
  std::string expected = Tails(state.commit_tail - 8 - state.base, state.root).substr(8);
  return expected.compare(0, 8, tail, 8) == 0;
}

std::shared_ptr<ViewImpl> TableOf(const ViewRef& ref) {
  auto table = std::make_shared<ViewImpl>(ref.fields);
  if (ref.rows == 0) return table;
  std::vector<std::shared_ptr<Column>> cols;
  for (size_t j = 0; j < ref.fields.size(); ++j) {
    const ColumnRef& cr = ref.cols[j];
    if (cr.type != 'V') {
      cols.push_back(std::make_shared<Column>(cr.type, ref.rows, cr.encoded));
      continue;
    }
    auto col = std::make_shared<Column>('V', ref.rows);
    for (int r = 0; r < ref.rows; ++r) col->Sub(r) = TableOf(cr.rows[r]);
    cols.push_back(std::move(col));
  }
  table->Assign(ref.rows, std::move(cols));
  return table;
}

}  // namespace

void KnownFiles::Remember(const std::string& path, RandomAccessFile* file, const FileState& state) {
  FileIdentity id;
  bool known = state.exists && file->Identify(&id) && id.size == static_cast<uint64_t>(state.end);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!known) {
    files_.erase(path);
    return;
  }
  Known& k = files_[path];
  k.identity = id;
  k.state = state;
  k.used = ++clock_;
  while (files_.size() > kMaxKnown) {
    auto oldest = files_.begin();
    for (auto it = files_.begin(); it != files_.end(); ++it) {
      if (it->second.used < oldest->second.used) oldest = it;
    }
    files_.erase(oldest);
  }
}

void KnownFiles::Forget(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.erase(path);
}

bool KnownFiles::Recall(const std::string& path, RandomAccessFile* file, FileState* out) {
  FileIdentity id;
  if (!file->Identify(&id)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = files_.find(path);
  if (it == files_.end()) return false;
  if (!(it->second.identity == id) || !TailMatches(file, it->second.state)) {
    files_.erase(it);
    return false;
  }
  it->second.used = ++clock_;
  *out = it->second.state;
  return true;
}

std::vector<TopLevel> TablesOf(const FileState& state) {
  std::vector<TopLevel> top;
  const ViewRef& root = state.top;
  for (size_t i = 0; i < root.fields.size(); ++i) {
    const Field& f = root.fields[i];
    const ColumnRef& cr = root.cols[i];
    if (f.type == 'V') {
      top.push_back(ViewEntry(f.name, TableOf(cr.rows[0])));
      continue;
    }
    TopLevel value = ValueEntry(f);
    value.table->Assign(1, {std::make_shared<Column>(f.type, 1, cr.encoded)});
    top.push_back(std::move(value));
  }
  return top;
}

}  // namespace mk
