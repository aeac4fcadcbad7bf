#include "mk/storage.h"

#include <algorithm>
#include <stdexcept>

#include "mk/escape.h"
#include "mk/known_files.h"
#include "mk/reader.h"
#include "mk/view_impl.h"
#include "mk/writer.h"

namespace mk {
namespace {

// What a file may hold beyond twice its live bytes before a commit packs it.
constexpr int64_t kSlackBytes = 4096;

int64_t AlignUp(int64_t v, int64_t to) { return (v + to - 1) / to * to; }

// Where the tails of a commit that grows the file go: at or after `from`,
// so that the 32 bytes CommitGrown first writes there lie within one
// 512-byte sector, which a disk writes whole.
int64_t GrownTails(int64_t from) {
  int64_t t = AlignUp(from, 16);
  return t % 512 == 496 ? t + 16 : t;
}

// Counts the bytes written and names the file in errors.
class Writer {
 public:
  Writer(RandomAccessFile* file, const std::string& path) : file_(file), path_(path) {}

  Status Write(int64_t offset, std::string_view bytes) {
    Status s = file_->Write(static_cast<uint64_t>(offset), bytes);
    if (!s.ok()) return Fail(s);
    written_ += bytes.size();
    return s;
  }
  Status Sync() {
    Status s = file_->Sync();
    return s.ok() ? s : Fail(s);
  }
  Status Truncate(int64_t size) {
    Status s = file_->Truncate(static_cast<uint64_t>(size));
    return s.ok() ? s : Fail(s);
  }
  uint64_t written() const { return written_; }

 private:
  Status Fail(const Status& s) { return s.Prefixed(path_ + ": commit failed: "); }
  RandomAccessFile* file_;
  const std::string& path_;
  uint64_t written_ = 0;
};

#define MK_RETURN_IF_ERROR(expr)       \
  do {                                 \
    Status status_ = (expr);           \
    if (!status_.ok()) return status_; \
  } while (0)

FileState StateOf(const CommitPlan& plan, bool big_endian, int64_t base, int64_t end) {
  FileState st;
  st.exists = true;
  st.base = base;
  st.end = end;
  st.commit_tail = end - 8;
  st.big_endian = big_endian;
  st.root = plan.root;
  st.root_walk = plan.root_walk;
  st.top = plan.top;
  return st;
}

// 64 bytes: a datafile without views in the first 32, and the same one
// again in all 64 (two marks back to the first commit tail, then tails of
// its own): it reads as empty whether half of it or all of it was written,
// and it ends with its live commit tail either way.
std::string EmptyDatafile() {
  std::string out = Header(false, 32);
  out += std::string("\x80\x80\x81", 3);
  out.resize(16, '\0');
  out += Tails(16, BlockRef{3, 8});
  out += SkipBackMark(32, 24) + SkipBackMark(40, 24);
  out += Tails(48, BlockRef{3, 8});
  return out;
}

bool SameState(const FileState& a, const FileState& b) {
  return a.exists && b.exists && a.base == b.base && a.root == b.root && a.root_walk == b.root_walk;
}

}  // namespace

class Storage::Rep {
 public:
  std::string path;
  FileSystem* fs;
  std::vector<TopLevel> top;
  FileState state;
  // Set while a commit may have left the file in its new state without
  // finishing; the next commit checks which state the file holds.
  bool uncertain = false;
  FileState attempt;

  // Metakit 2.4 positions are 31-bit and the root walk length 24-bit.
  Status CheckLimits(const CommitPlan& plan, int64_t end) const {
    if (plan.root.size >= (int64_t{1} << 24)) {
      return Status::NotSupported(path + ": commit failed: the structure description is too long");
    }
    if (end >= (int64_t{1} << 31) || plan.limit + 16 >= (int64_t{1} << 31)) {
      return Status::NotSupported(path + ": commit failed: the file would reach 2 GiB");
    }
    return Status::Ok();
  }

  // The entry of that name, view or not (case ignored), or -1.
  int Find(std::string_view name) const {
    for (size_t i = 0; i < top.size(); ++i) {
      if (SameName(top[i].name, name)) return static_cast<int>(i);
    }
    return -1;
  }
  int FindView(std::string_view name) const {
    int i = Find(name);
    return i >= 0 && top[i].is_view ? i : -1;
  }

  // Commits never create the file: one removed since it was opened stays away.
  Status OpenFile(std::unique_ptr<RandomAccessFile>* file, bool create = false) {
    Status s = fs->OpenFile(path, create, file);
    return s.Prefixed(path + ": ");
  }

  Status Resync(RandomAccessFile* file) {
    FileState now;
    Status s = ReadTails(file, path, &now);
    if (!state.exists) {
      // Whatever a failed first commit left is ours to overwrite.
      if (s.ok() && SameState(now, attempt)) Adopt(attempt, now);
      uncertain = false;
      return Status::Ok();
    }
    if (!s.ok()) return s;
    if (SameState(now, attempt)) {
      Adopt(attempt, now);
    } else if (SameState(now, state)) {
      Adopt(state, now);
    } else {
      return Status::ChangedElsewhere(path + ": the file was changed by another program");
    }
    uncertain = false;
    return Status::Ok();
  }

  // The file must still hold the state this storage knows (or, after a
  // failed commit, that commit's state): blocks it thinks free may otherwise
  // be another program's data.
  Status CheckUnchanged(RandomAccessFile* file) {
    if (uncertain) return Resync(file);
    uint64_t size = 0;
    Status s = file->Size(&size);
    if (!s.ok()) return s.Prefixed(path + ": ");
    if (!state.exists) {
      if (size == 0) return Status::Ok();
      return Status::ChangedElsewhere(path + ": the file was changed by another program");
    }
    if (static_cast<int64_t>(size) == state.end) {
      char tail[8];
      s = file->Read(static_cast<uint64_t>(state.commit_tail), sizeof tail, tail);
      if (!s.ok()) return s.Prefixed(path + ": ");
      std::string expected = Tails(state.commit_tail - 8 - state.base, state.root).substr(8);
      if (expected.compare(0, 8, tail, 8) == 0) return Status::Ok();
    }
    attempt = state;
    return Resync(file);
  }

  void Adopt(const FileState& st, const FileState& now) {
    FileState next = st;
    next.end = now.end;
    next.commit_tail = now.commit_tail;
    next.free.reset();  // the tails may have moved: worked out anew
    state = std::move(next);
  }

  // What the file holds after a commit or pack is what a later Open of it
  // may take without reading it.
  void Remember(RandomAccessFile* file, const Status& s) {
    if (s.ok()) {
      fs->known_files().Remember(path, file, state);
    } else {
      fs->known_files().Forget(path);
    }
  }

  Status Commit(CommitStats* stats) {
    std::unique_ptr<RandomAccessFile> file;
    MK_RETURN_IF_ERROR(OpenFile(&file));
    MK_RETURN_IF_ERROR(CheckUnchanged(file.get()));
    Writer w(file.get(), path);
    Status s = state.exists ? CommitInPlace(&w, file.get()) : CommitFirst(&w, false);
    Remember(file.get(), s);
    if (stats) {
      stats->bytes_written = w.written();
      stats->file_size = static_cast<uint64_t>(state.end);
    }
    return s;
  }

  // The first image of an empty file, freshly packed. An empty datafile
  // goes past the image first, so that the file reads as empty (not as
  // damaged) until it is cut to the image; it is also empty when only the
  // first half of it is written.
  Status CommitFirst(Writer* w, bool reencode) {
    if (top.empty()) return Status::Ok();
    PlanOptions o;
    o.reencode = reencode;
    CommitPlan plan = PlanCommit(top, o);
    MK_RETURN_IF_ERROR(CheckLimits(plan, plan.limit + 16));
    std::string image = PackedImage(plan, false);
    int64_t size = static_cast<int64_t>(image.size());
    attempt = StateOf(plan, false, 0, size);
    uncertain = true;
    MK_RETURN_IF_ERROR(w->Write(AlignUp(size, 64), EmptyDatafile()));
    MK_RETURN_IF_ERROR(w->Sync());
    MK_RETURN_IF_ERROR(w->Write(0, image));
    MK_RETURN_IF_ERROR(w->Sync());
    MK_RETURN_IF_ERROR(w->Truncate(size));
    MK_RETURN_IF_ERROR(w->Sync());
    state = attempt;
    uncertain = false;
    return Status::Ok();
  }

  // Where a commit's tails go, and the file size that results.
  struct Layout {
    bool in_place = false;  // only the commit tail is overwritten
    bool shrink = false;    // the tails move down and the file is cut to them
    int64_t tails = 0;      // file offset of the new skip tail
    int64_t end = 0;        // the file's new size
    bool too_big = false;   // over twice the live bytes: pack instead
  };

  Layout ChooseLayout(const CommitPlan& plan,
                      const std::vector<std::pair<int64_t, int64_t>>& free) const {
    const int64_t base = state.base;
    Layout l;
    // The new tails go to the lowest free spot of the old state above every
    // live block of the new state; the file then shrinks to them. Without
    // such a spot below the old tails (where the free ranges end), the file
    // grows.
    int64_t t = AlignUp(base + plan.limit, 8);
    int64_t old_tails = state.commit_tail - 8;
    auto above = std::upper_bound(free.begin(), free.end(), t - base,
                                  [](int64_t at, const auto& r) { return at < r.second; });
    for (auto r = above; r != free.end(); ++r) {
      int64_t spot = AlignUp(std::max(t, base + r->first), 8);
      if (spot + 16 <= base + r->second) {
        t = spot;
        l.shrink = true;
        break;
      }
    }
    // Everything fits below the old tails but they cannot move down: only
    // the commit tail is overwritten, when it lies within one sector.
    bool can_stay = base + plan.limit <= old_tails && state.commit_tail % 8 == 0;
    // Shrinking gives up the space the next commits' blocks would go to,
    // and a commit that grows the file flushes once more than one that
    // fits: worth it only when the file holds well over its live bytes and
    // shrinking frees a fair part of it.
    int64_t live_bytes = 8 + plan.root.size + BlockBytes(plan.top) + 16;
    int64_t size = state.end - base;
    bool bloated = size > live_bytes + live_bytes * 3 / 4 + kSlackBytes;
    if (l.shrink && can_stay &&
        (!bloated || state.end - (t + 16) < std::max<int64_t>(4096, size / 16))) {
      l.shrink = false;
    }
    l.in_place = !l.shrink && can_stay;
    if (l.in_place) {
      l.tails = old_tails;
    } else {
      l.tails = l.shrink ? t : GrownTails(std::max(base + plan.limit, state.end));
    }
    l.end = l.in_place ? state.end : l.tails + 16;
    // Blocks that stay put can keep the file from shrinking. When the file
    // would hold more than twice its live bytes, it is written packed instead.
    l.too_big = l.end - base > 2 * live_bytes + kSlackBytes;
    return l;
  }

  // `file` is null when the commit must not pack the file.
  Status CommitInPlace(Writer* w, RandomAccessFile* file) {
    const std::vector<std::pair<int64_t, int64_t>>& free = FreeSpaceOf(state).ranges;
    PlanOptions o;
    o.old = &state;
    o.free = &free;
    o.big_endian = state.big_endian;
    CommitPlan plan = PlanCommit(top, o);
    if (plan.root == state.root && plan.root_walk == state.root_walk) return Status::Ok();
    const int64_t base = state.base;
    MK_RETURN_IF_ERROR(CheckLimits(plan, std::max(base + plan.limit, state.end) + 64));
    Layout l = ChooseLayout(plan, free);
    if (l.too_big && plan.slack > 0) {
      // The room left before grown blocks must not be what makes the file
      // too big: plan again with only as much room as the bound allows.
      int64_t live_bytes = 8 + plan.root.size + BlockBytes(plan.top) + 16;
      int64_t over = l.end - base - (2 * live_bytes + kSlackBytes);
      o.slack_budget = std::max<int64_t>(0, plan.slack - over - 64);
      plan = PlanCommit(top, o);
      l = ChooseLayout(plan, free);
    }
    if (l.too_big && file) {
      // Packing needs room for a second copy of everything for a moment;
      // on a nearly full disk the commit itself may still fit, and must
      // not fail for want of that room. A pack that failed before the file
      // switched to its first copy left the old content, which Resync
      // adopts (at the size the pack left) before planning again.
      const BlockRef before = state.root;
      Status packed = PackInPlace(w, false);
      if (packed.ok() || state.root != before) return packed;
      // Resync adopts the first copy when its commit tail reached the disk.
      if (!Resync(file).ok() || state.root != before) return packed;
      return CommitInPlace(w, nullptr);
    }
    if (l.in_place) {
      attempt = StateOf(plan, state.big_endian, base, state.end);
      attempt.commit_tail = state.commit_tail;
      uncertain = true;
      for (const auto& [pos, bytes] : plan.writes) MK_RETURN_IF_ERROR(w->Write(base + pos, bytes));
      MK_RETURN_IF_ERROR(w->Sync());
      std::string tails = Tails(l.tails - base, plan.root);
      MK_RETURN_IF_ERROR(w->Write(state.commit_tail, std::string_view(tails).substr(8)));
      MK_RETURN_IF_ERROR(w->Sync());
      CarryFreeSpace(state, &attempt);
      state = attempt;
      uncertain = false;
      return Status::Ok();
    }
    attempt = StateOf(plan, state.big_endian, base, l.end);
    uncertain = true;
    if (!l.shrink) return CommitGrown(w, plan, l.tails);
    // The new tails lie in free space below the old ones: the file reads
    // as before until it is cut to them.
    for (const auto& [pos, bytes] : plan.writes) MK_RETURN_IF_ERROR(w->Write(base + pos, bytes));
    MK_RETURN_IF_ERROR(w->Write(l.tails, Tails(l.tails - base, plan.root)));
    // The header's size is informational; readers find the state from the tails.
    MK_RETURN_IF_ERROR(w->Write(base, Header(state.big_endian, l.end - base)));
    MK_RETURN_IF_ERROR(w->Sync());
    MK_RETURN_IF_ERROR(w->Truncate(l.end));
    MK_RETURN_IF_ERROR(w->Sync());
    CarryFreeSpace(state, &attempt);
    state = attempt;
    uncertain = false;
    return Status::Ok();
  }

  // Writes `attempt`, whose tails go to `t`, at or past the old end. First
  // the file grows 16 bytes beyond its new end, to tails that still lead to
  // the old root walk: it reads as before and, like every datafile, ends
  // with its live commit tail. Nothing of an unfinished commit may stay
  // past that tail: other Metakit software never cuts a file, so such bytes
  // would outlive its next commit and lead its readers into stale data.
  // (The 16 bytes before those tails are two marks that lead back to the
  // old commit tail, so that the file also reads as before when only the
  // first half of that write reached it.) Then the blocks and the new tails
  // go below, and cutting the file to the new tails switches it to the new
  // state at once. After a failure the file holds the old state at a larger
  // size, which the next commit adopts, free space and all.
  Status CommitGrown(Writer* w, const CommitPlan& plan, int64_t t) {
    const int64_t base = state.base;
    std::string grow = SkipBackMark(t, state.commit_tail) + SkipBackMark(t + 8, state.commit_tail) +
                       Tails(t + 16 - base, state.root);
    MK_RETURN_IF_ERROR(w->Write(t, grow));
    MK_RETURN_IF_ERROR(w->Sync());
    for (const auto& [pos, bytes] : plan.writes) MK_RETURN_IF_ERROR(w->Write(base + pos, bytes));
    MK_RETURN_IF_ERROR(w->Write(t, Tails(t - base, plan.root)));
    // The header's size is informational; readers find the state from the tails.
    MK_RETURN_IF_ERROR(w->Write(base, Header(state.big_endian, t + 16 - base)));
    MK_RETURN_IF_ERROR(w->Sync());
    MK_RETURN_IF_ERROR(w->Truncate(t + 16));
    MK_RETURN_IF_ERROR(w->Sync());
    CarryFreeSpace(state, &attempt);
    state = attempt;
    uncertain = false;
    return Status::Ok();
  }

  Status Pack(CommitStats* stats) {
    std::unique_ptr<RandomAccessFile> file;
    MK_RETURN_IF_ERROR(OpenFile(&file));
    MK_RETURN_IF_ERROR(CheckUnchanged(file.get()));
    Writer w(file.get(), path);
    Status s = state.exists ? PackInPlace(&w, true) : CommitFirst(&w, true);
    Remember(file.get(), s);
    if (stats) {
      stats->bytes_written = w.written();
      stats->file_size = static_cast<uint64_t>(state.end);
    }
    return s;
  }

  // Two commits, each leaving a datafile that ends with its live commit
  // tail: first the content as a growing commit whose blocks all lie past
  // both the old end and the place of the packed image, then the packed
  // image over the start of the datafile, and the file cut to it. Bytes
  // before the datafile (other content it was appended to) stay.
  Status PackInPlace(Writer* w, bool reencode) {
    const int64_t base = state.base;
    PlanOptions o;
    o.big_endian = state.big_endian;
    o.reencode = reencode;
    CommitPlan packed = PlanCommit(top, o);
    std::string image = PackedImage(packed, state.big_endian);
    const int64_t n = static_cast<int64_t>(image.size());
    // The encodings are fresh now; the second plan reuses them.
    o.reencode = false;
    o.fresh_start = AlignUp(std::max(state.end, base + n), 8) - base;
    CommitPlan moved = PlanCommit(top, o);
    int64_t t = GrownTails(base + moved.limit);
    MK_RETURN_IF_ERROR(CheckLimits(moved, t + 32));  // CommitGrown goes 16 bytes past t + 16
    attempt = StateOf(moved, state.big_endian, base, t + 16);
    uncertain = true;
    MK_RETURN_IF_ERROR(CommitGrown(w, moved, t));
    attempt = StateOf(packed, state.big_endian, base, base + n);
    uncertain = true;
    MK_RETURN_IF_ERROR(w->Write(base, image));
    MK_RETURN_IF_ERROR(w->Sync());
    MK_RETURN_IF_ERROR(w->Truncate(base + n));
    MK_RETURN_IF_ERROR(w->Sync());
    state = attempt;
    uncertain = false;
    return Status::Ok();
  }
};

Storage::Storage(std::unique_ptr<Rep> rep) : rep_(std::move(rep)) {}
Storage::~Storage() = default;

Status Storage::Open(const std::string& path, std::unique_ptr<Storage>* out, FileSystem* fs) {
  auto rep = std::make_unique<Rep>();
  rep->path = path;
  rep->fs = fs;
  std::unique_ptr<RandomAccessFile> file;
  MK_RETURN_IF_ERROR(rep->OpenFile(&file, true));
  if (fs->known_files().Recall(path, file.get(), &rep->state)) {
    rep->top = TablesOf(rep->state);
  } else {
    LoadedFile loaded;
    MK_RETURN_IF_ERROR(LoadDatafile(file.get(), path, &loaded));
    rep->state = std::move(loaded.state);
    rep->top = std::move(loaded.top);
    fs->known_files().Remember(path, file.get(), rep->state);
  }
  out->reset(new Storage(std::move(rep)));
  return Status::Ok();
}

const std::string& Storage::path() const { return rep_->path; }

std::string Storage::Description() const { return DescribeFields(TopFields(rep_->top)); }

std::vector<Field> Storage::Properties() const { return TopFields(rep_->top); }

std::vector<std::string> Storage::ViewNames() const {
  std::vector<std::string> names;
  for (const TopLevel& t : rep_->top) {
    if (t.is_view) names.push_back(t.name);
  }
  return names;
}

bool Storage::HasView(std::string_view name) const { return rep_->FindView(name) >= 0; }

View Storage::GetView(std::string_view name) const {
  int i = rep_->FindView(name);
  return i < 0 ? View() : View(rep_->top[i].table);
}

View Storage::GetValue(std::string_view name) const {
  int i = rep_->Find(name);
  if (i < 0 || rep_->top[i].is_view) return View();
  View value(rep_->top[i].table);
  View copy = value.Clone();
  copy.InsertRowsAt(0, value);
  return copy;
}

View Storage::GetAs(std::string_view description) {
  std::vector<TopLevel>& top = rep_->top;
  size_t bracket = description.find('[');
  if (bracket == std::string_view::npos) {
    int i = rep_->FindView(description);
    if (i >= 0) top.erase(top.begin() + i);
    return View();
  }
  std::vector<Field> parsed;
  Status s = ParseFields(description, &parsed);
  if (!s.ok() || parsed.size() != 1 || parsed[0].type != 'V') {
    throw std::invalid_argument("mk::Storage::GetAs: not a view description: " +
                                Quoted(description) + (s.ok() ? "" : " (" + s.message() + ")"));
  }
  const Field& f = parsed[0];
  int i = rep_->Find(f.name);
  if (i < 0) {
    top.push_back(ViewEntry(f.name, std::make_shared<ViewImpl>(f.subfields)));
    return View(top.back().table);
  }
  if (!top[i].is_view) {
    // Names are unique at the top level: the view takes the value's place.
    top[i] = ViewEntry(f.name, std::make_shared<ViewImpl>(f.subfields));
    return View(top[i].table);
  }
  std::string current = "[" + DescribeFields(top[i].table->fields()) + "]";
  if (SameName(current, description.substr(bracket))) return View(top[i].table);
  top[i].table->Restructure(f.subfields);
  top[i].name = f.name;
  return View(top[i].table);
}

void Storage::SetStructure(std::string_view description) {
  std::vector<Field> parsed;
  Status s = ParseFields(description, &parsed);
  if (!s.ok()) throw std::invalid_argument("mk::Storage::SetStructure: " + s.message());
  std::vector<TopLevel> top;
  for (const Field& f : parsed) {
    int i = rep_->Find(f.name);
    bool view = f.type == 'V';
    if (i < 0 || rep_->top[i].is_view != view) {
      top.push_back(view ? ViewEntry(f.name, std::make_shared<ViewImpl>(f.subfields))
                         : ValueEntry(f));
      continue;
    }
    TopLevel entry = rep_->top[i];
    // A value keeps its data like a column of the one-row root does.
    entry.table->Restructure(view ? f.subfields : std::vector<Field>{f});
    entry.name = f.name;
    top.push_back(std::move(entry));
  }
  rep_->top = std::move(top);
}

Status Storage::Commit(CommitStats* stats) { return rep_->Commit(stats); }

Status Storage::SaveCopy(const std::string& path, FileSystem* fs) const {
  std::unique_ptr<RandomAccessFile> file;
  if (fs->OpenFile(path, false, &file).ok()) {
    return Status::InvalidArgument(path + ": already exists; a copy is only written to a new file");
  }
  PlanOptions o;
  o.big_endian = rep_->state.big_endian;
  o.reencode = true;
  CommitPlan plan = PlanCommit(rep_->top, o);
  std::string image = rep_->top.empty() ? "" : PackedImage(plan, o.big_endian);
  MK_RETURN_IF_ERROR(fs->OpenFile(path, true, &file).Prefixed(path + ": "));
  Writer w(file.get(), path);
  MK_RETURN_IF_ERROR(w.Write(0, image));
  return w.Sync();
}
Status Storage::Pack(CommitStats* stats) { return rep_->Pack(stats); }

}  // namespace mk
