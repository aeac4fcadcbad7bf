// A datafile opened for reading and writing: its top-level views, their
// restructuring, and crash-safe commits.
//
// The whole file is read when opened; the file is not held open between
// calls, so a Storage can outlive other programs' changes only by reopening.
// Commit writes only what changed, in place (the file keeps its inode), and
// in an order that leaves the file readable as the old or the new state after
// any single write, then flushes to stable storage before it returns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mk/field.h"
#include "mk/file_system.h"
#include "mk/status.h"
#include "mk/view.h"

namespace mk {

struct CommitStats {
  uint64_t bytes_written = 0;  // every byte this commit wrote
  uint64_t file_size = 0;      // the file's size after the commit
};

class Storage {
 public:
  // Opens `path`; a missing file is created empty (0 bytes). A damaged or
  // foreign file fails with a message naming the file and the fault.
  static Status Open(const std::string& path, std::unique_ptr<Storage>* out,
                     FileSystem* fs = DefaultFileSystem());
  ~Storage();

  const std::string& path() const;

  // The whole structure, e.g. "Globals[Block:S,Key:S,Value:S],Buffer[...]";
  // "" for a storage without views.
  std::string Description() const;
  // Every top-level property in structure order: the views (type 'V') and,
  // in files made by other Metakit software, properties that are not views.
  // Those are read, kept and written back unchanged.
  std::vector<Field> Properties() const;
  // Names of the top-level views, in file order.
  std::vector<std::string> ViewNames() const;
  bool HasView(std::string_view name) const;  // case ignored
  // The stored view of that name (case ignored), attached: changes become
  // part of the file at the next Commit. An empty View when there is none.
  View GetView(std::string_view name) const;
  // The value of a top-level property that is not a view (case ignored): a
  // one-row copy with that one column, not attached. An empty View when
  // there is none.
  View GetValue(std::string_view name) const;

  // "name[fields]": creates the view at the end, or restructures the view of
  // that name in its place (columns kept by name keep their data, a column
  // whose type changes keeps its values converted, new columns start empty,
  // unlisted columns are dropped). "name" alone deletes the view. Returns
  // the (attached) view; handles held to a restructured view stay valid.
  // Other top-level properties stay as they are, except one of the same
  // name that is not a view, which the new view replaces. A description that
  // does not parse is the caller's bug: std::invalid_argument (callers that
  // build one from data check it with ParseFields first).
  View GetAs(std::string_view description);
  // Replaces the whole structure; views are matched by name (case ignored)
  // and restructured like GetAs, values that are not views keep theirs
  // (converted when the type changes); properties not listed are dropped.
  // Throws std::invalid_argument, as GetAs, for a description that does not
  // parse.
  void SetStructure(std::string_view description);

  // Writes every change since the last commit. On failure the file still
  // reads as its last committed state and this storage keeps its data, so a
  // later Commit can write everything again.
  Status Commit(CommitStats* stats = nullptr);
  // Rewrites the file as a freshly packed image (same content), in place and
  // crash-safe.
  Status Pack(CommitStats* stats = nullptr);
  // Writes the content, freshly packed, to a new file at `path` (through
  // `fs`) and flushes it; an existing file is refused and left as it is.
  // This storage stays with its own file.
  Status SaveCopy(const std::string& path, FileSystem* fs = DefaultFileSystem()) const;

 private:
  class Rep;
  explicit Storage(std::unique_ptr<Rep> rep);
  std::unique_ptr<Rep> rep_;
};

}  // namespace mk
