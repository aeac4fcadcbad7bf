// A FileSystem for tests that wraps a real one and makes its writes, flushes
// and truncations fail on cue: a crash after the n-th operation (optionally
// losing what was not yet flushed, or tearing the interrupted write), a full
// disk, an I/O error, a file that cannot be opened. It also records every
// mutating operation, so a test can see what a commit wrote and when it
// flushed. It can also give the disk a fixed room left, so a commit that
// grows a file past it fails as on a full disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mk/file_system.h"

namespace mk {

class FaultInjectionFileSystem : public FileSystem {
 public:
  enum class Op { kWrite, kSync, kTruncate };
  enum class Error { kCrash, kNoSpace, kIo, kAccess };
  // How much of an interrupted write reaches the file.
  enum class Tear {
    kNone,     // none of it
    kHalf,     // its first half, byte-exact
    kSectors,  // its first half cut back to a 512-byte sector boundary, as
               // a disk that writes whole sectors atomically would leave it
  };

  struct Event {
    Op op;
    uint64_t offset = 0;  // kWrite; new size for kTruncate
    uint64_t size = 0;    // kWrite
  };

  explicit FaultInjectionFileSystem(FileSystem* base = DefaultFileSystem());
  ~FaultInjectionFileSystem() override;

  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override;

  // Lets the next `ops` writes, syncs and truncations (counted together)
  // succeed; the one after fails with `error`, and so does every later one
  // until Disarm(), as if the program had died there. With
  // `drop_unsynced`, a crash also takes back every write and truncation of
  // that file since its last successful Sync, as a power cut would.
  void StopAfter(int ops, Error error = Error::kCrash, Tear tear = Tear::kNone,
                 bool drop_unsynced = false);
  // Makes OpenFile fail with `error` until Disarm().
  void FailOpen(Error error);
  // Leaves room for `bytes` more bytes: a write that would grow its file
  // past the room left fails with kNoSpace and changes nothing; writes that
  // fit, or grow no file, go on. Until Disarm().
  void LimitRoom(uint64_t bytes);
  // Ends any fault (and any room limit); counters and the event log are kept.
  void Disarm();
  // Clears the counters and the event log.
  void ResetCounters();

  // True once an armed fault has fired.
  bool fired() const;
  int writes() const;
  int syncs() const;
  int truncates() const;
  uint64_t bytes_written() const;
  // Successful mutating operations, oldest first.
  const std::vector<Event>& events() const;

  // The text an injected failure carries, like the real file system's
  // (e.g. "cannot write: No space left on device"); it does not name the file.
  static std::string ErrorText(Error error);

  struct State;  // shared with the files this file system opened

 private:
  FileSystem* base_;
  std::shared_ptr<State> state_;
};

}  // namespace mk
