// Opening a tally file for a woodtick-cli command: the program's lock, the
// store with attached views, and the check that it is a tally file, each
// failure told on `err` in the program's words.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "model/tally_file.h"
#include "platform/file_lock.h"
#include "store/data_store.h"
#include "store/store_reporter.h"

namespace woodtick {

// Store trouble goes to the console.
class ConsoleReporter : public StoreReporter {
 public:
  explicit ConsoleReporter(std::ostream& err) : err_(err) {}
  void InternalError(const std::string& text) override { err_ << text << "\n"; }
  void CommitFailed(const std::string& text) override { err_ << text << "\n"; }

 private:
  std::ostream& err_;
};

// A tally file opened with attached views and locked as the program locks
// it, from before the first read to the last write; closing it without a
// change writes nothing.
struct OpenedTallyFile {
  explicit OpenedTallyFile(std::ostream& err) : reporter(err), store(&reporter) {}
  std::shared_ptr<FileLock> lock = std::make_shared<SystemFileLock>();
  ConsoleReporter reporter;
  DataStore store;
  StandardSlots slots;
};

// Null, with the reason written to `err`, when the file is held by another
// program (it is then not touched), missing, unreadable or not a tally file.
std::unique_ptr<OpenedTallyFile> OpenTallyFileForTool(const std::string& path, std::ostream& err);

}  // namespace woodtick
