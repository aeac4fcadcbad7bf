#include "mk/recover.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <vector>

#include "mk/dump.h"
#include "mk/encoding.h"
#include "mk/field.h"
#include "mk/view.h"
#include "mk/writer.h"

namespace mk {
namespace {

// At most this many states are opened whole.
constexpr int kMaxTried = 200;

// A file as an earlier state of it would read: its first `size` bytes,
// followed by `tails` (empty, or tails that lead to an older root walk).
// Read-only.
class StateFile : public RandomAccessFile {
 public:
  StateFile(std::unique_ptr<RandomAccessFile> file, uint64_t size, std::string tails)
      : file_(std::move(file)), size_(size), tails_(std::move(tails)) {}
  Status Size(uint64_t* size) override {
    *size = size_ + tails_.size();
    return Status::Ok();
  }
  Status Read(uint64_t offset, size_t n, char* dst) override {
    if (offset + n > size_ + tails_.size()) return Status::IOError("read past the end");
    size_t own = offset < size_ ? static_cast<size_t>(std::min<uint64_t>(n, size_ - offset)) : 0;
    if (own > 0) {
      Status s = file_->Read(offset, own, dst);
      if (!s.ok()) return s;
    }
    if (own < n) tails_.copy(dst + own, n - own, static_cast<size_t>(offset + own - size_));
    return Status::Ok();
  }
  Status Write(uint64_t, std::string_view) override { return ReadOnly(); }
  Status Truncate(uint64_t) override { return ReadOnly(); }
  Status Sync() override { return ReadOnly(); }

 private:
  static Status ReadOnly() { return Status::IOError("the damaged file is only read"); }
  std::unique_ptr<RandomAccessFile> file_;
  uint64_t size_;
  std::string tails_;
};

class StateFileSystem : public FileSystem {
 public:
  StateFileSystem(FileSystem* fs, uint64_t size, std::string tails)
      : fs_(fs), size_(size), tails_(std::move(tails)) {}
  // Opens the file as it is; a missing one is never made.
  Status OpenFile(const std::string& path, bool /*create*/,
                  std::unique_ptr<RandomAccessFile>* out) override {
    std::unique_ptr<RandomAccessFile> file;
    Status s = fs_->OpenFile(path, false, &file);
    if (s.ok()) *out = std::make_unique<StateFile>(std::move(file), size_, tails_);
    return s;
  }

 private:
  FileSystem* fs_;
  uint64_t size_;
  std::string tails_;
};

// A state to try: the file cut to `size`, then `tails`.
struct Candidate {
  int64_t size = 0;
  std::string tails;
};

bool IsHeader(std::string_view b) {
  return b.size() >= 4 && (b.substr(0, 2) == "JL" || b.substr(0, 2) == "LJ") && b[2] == '\x1a' &&
         b[3] == '\0';
}

// The header position of a skip tail and commit tail at `at` whose root
// walk lies inside the bytes before them, or -1.
int64_t TailsAt(const std::string& bytes, size_t at) {
  const char* p = bytes.data() + at;
  uint8_t skip_tag = static_cast<uint8_t>(p[0]);
  if ((skip_tag != 0x80 && skip_tag != 0x90) || p[8] != '\x80') return -1;
  if (skip_tag == 0x80 && (ReadBigEndian32(p) & 0xFFFFFF) != 0) return -1;
  int64_t skip_offset = ReadBigEndian32(p + 4);
  int64_t root_size = ReadBigEndian32(p + 8) & 0xFFFFFF;
  int64_t root_pos = ReadBigEndian32(p + 12);
  int64_t base = static_cast<int64_t>(at) - skip_offset;
  if (skip_offset < 8 || base < 0 || root_size == 0) return -1;
  if (root_pos < 8 || root_pos + root_size > skip_offset) return -1;
  return IsHeader(std::string_view(bytes).substr(static_cast<size_t>(base), 4)) ? base : -1;
}

// The length of a root walk starting at `at` (its description, one row and
// the references of each top-level field), or 0 when none starts there.
int64_t RootWalkAt(const std::string& bytes, size_t at) {
  const char* end = bytes.data() + bytes.size();
  const char* p = bytes.data() + at;
  int64_t reserved, desc_len, rows;
  if (!ReadVarint(end, &p, &reserved) || reserved != 0) return 0;
  if (!ReadVarint(end, &p, &desc_len) || desc_len < 3 || desc_len > end - p) return 0;
  if (*p < 'A' || *p > 'z') return 0;  // descriptions begin with a name
  std::vector<Field> fields;
  if (!ParseFields(std::string_view(p, static_cast<size_t>(desc_len)), &fields).ok()) return 0;
  p += desc_len;
  if (!ReadVarint(end, &p, &rows) || rows != 1) return 0;
  auto ref = [&](int64_t* size) {
    int64_t pos;
    return ReadVarint(end, &p, size) && (*size == 0 || ReadVarint(end, &p, &pos));
  };
  for (const Field& f : fields) {
    int64_t data, sizes, memo;
    if (!ref(&data)) return 0;
    bool items = f.type == 'S' || f.type == 'B';
    if (items && ((data > 0 && !ref(&sizes)) || !ref(&memo))) return 0;
  }
  return p - (bytes.data() + at);
}

Status ReadWhole(const std::string& path, FileSystem* fs, std::string* out) {
  std::unique_ptr<RandomAccessFile> file;
  Status s = fs->OpenFile(path, false, &file);
  if (!s.ok()) return s.Prefixed(path + ": ");
  uint64_t size = 0;
  s = file->Size(&size);
  if (s.ok() && size >= (uint64_t{1} << 31)) {
    return Status::NotSupported(path + ": 2 GiB or more, too large for a datafile");
  }
  out->resize(static_cast<size_t>(size));
  if (s.ok() && size > 0) s = file->Read(0, out->size(), out->data());
  return s.Prefixed(path + ": ");
}

// Opens the state and reads every cell.
bool OpenSound(const std::string& path, FileSystem* fs, const Candidate& c,
               std::unique_ptr<Storage>* out) {
  StateFileSystem state(fs, static_cast<uint64_t>(c.size), c.tails);
  if (!Storage::Open(path, out, &state).ok()) return false;
  try {
    DumpStorage(**out);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

int64_t TotalRows(const Storage& storage) {
  // (Nested rows are not counted: the top-level tables are what grows.)
  int64_t rows = 0;
  for (const std::string& name : storage.ViewNames()) rows += storage.GetView(name).GetSize();
  return rows;
}

}  // namespace

Status FindSoundState(const std::string& path, FileSystem* fs, RecoveredState* found,
                      std::unique_ptr<Storage>* storage) {
  std::string bytes;
  Status s = ReadWhole(path, fs, &bytes);
  if (!s.ok()) return s;
  *found = RecoveredState();
  const int64_t n = static_cast<int64_t>(bytes.size());
  found->file_size = n;
  // The earlier states: those whose tails are still in the file, and those
  // whose root walk outlived their tails (a commit that fits overwrites the
  // commit tail before it), each tried with tails made for it. Nothing
  // dates a state, but a tally file only gains rows as it is used: the
  // sound state with the most rows counts as the newest, and of those the
  // one whose tails or walk lie highest (later commits grow the file, and
  // one that shrinks it cuts away every tail above its own).
  struct Best {
    int64_t rows = -1;
    bool own_tails = false;
    int64_t at = 0;
    bool operator<(const Best& o) const {
      return std::tie(rows, own_tails, at) < std::tie(o.rows, o.own_tails, o.at);
    }
  } best;
  std::vector<int64_t> tailed_walks;
  auto consider = [&](const Candidate& c, bool own_tails, int64_t at, int64_t walk) {
    ++found->tried;
    std::unique_ptr<Storage> state;
    if (!OpenSound(path, fs, c, &state)) return false;
    Best here{TotalRows(*state), own_tails, at};
    if (best < here) {
      best = here;
      *storage = std::move(state);
      found->root_walk = walk;
      found->own_tails = own_tails;
      found->latest = own_tails && c.size == n;
    }
    return true;
  };
  int64_t base = IsHeader(bytes) ? 0 : -1;
  for (int64_t at = n - 16; at >= 8 && found->tried < kMaxTried; --at) {
    int64_t header = TailsAt(bytes, static_cast<size_t>(at));
    if (header < 0) continue;
    if (base < 0) base = header;
    int64_t walk = header + ReadBigEndian32(bytes.data() + at + 12);
    tailed_walks.push_back(walk);
    // The file's own state, when sound, is what it holds.
    if (consider(Candidate{at + 16, ""}, true, at, walk) && found->latest) return Status::Ok();
  }
  for (int64_t at = n - 1; base >= 0 && at > base + 8 && found->tried < kMaxTried; --at) {
    if (bytes[static_cast<size_t>(at)] != '\x80') continue;
    if (std::find(tailed_walks.begin(), tailed_walks.end(), at) != tailed_walks.end()) continue;
    int64_t length = RootWalkAt(bytes, static_cast<size_t>(at));
    if (length == 0 || length >= (int64_t{1} << 24)) continue;
    consider(Candidate{n, Tails(n - base, BlockRef{length, at - base})}, false, at, at);
  }
  if (best.rows >= 0) return Status::Ok();
  return Status::NotFound(path + ": no state in the file reads soundly (" +
                          std::to_string(found->tried) + " looked at)");
}

}  // namespace mk
