// recover: the newest sound state of a damaged datafile, written to a new
// file. The damaged file is only read.
#include <filesystem>
#include <memory>

#include "mk/dump.h"
#include "mk/escape.h"
#include "mk/recover.h"
#include "mk/view.h"
#include "tools/commands.h"

namespace woodtick {
namespace {

// The views of the state found, with their rows, and the last entry of its
// message log, so the user can tell how far the state reaches.
void Describe(const mk::Storage& storage, std::ostream& out) {
  for (const std::string& name : storage.ViewNames()) {
    mk::View view = storage.GetView(name);
    out << "  " << mk::Quoted(name) << ": " << view.GetSize()
        << (view.GetSize() == 1 ? " row\n" : " rows\n");
  }
  mk::View log = storage.GetView("MessageLog");
  if (log.GetSize() > 0) {
    out << "  last log entry: " << mk::Quoted(mk::DumpRow(log, log.GetSize() - 1, ' ')) << "\n";
  }
}

}  // namespace

int RunRecover(const CliInput& input, std::ostream& out, std::ostream& err) {
  const std::string& damaged = input.operands[0];
  const std::string& target = input.operands[1];
  std::error_code ec;
  if (std::filesystem::exists(target, ec) || ec) {
    err << "woodtick-cli: " << target << " already exists; name a new file to write to\n";
    return kCliFailed;
  }
  // The damaged file is read without being opened for writing.
  mk::RecoveredState found;
  std::unique_ptr<mk::Storage> storage;
  mk::Status s = mk::FindSoundState(damaged, mk::ReadOnlyFileSystem(), &found, &storage);
  if (!s.ok()) {
    err << "woodtick-cli: " << s.message() << "\n";
    return kCliFailed;
  }
  s = storage->SaveCopy(target);
  if (!s.ok()) {
    std::filesystem::remove(target, ec);
    err << "woodtick-cli: " << s.message() << "\n";
    return kCliFailed;
  }
  out << damaged << ": ";
  if (found.latest) {
    out << "its own state reads soundly";
  } else {
    out << "the newest state that reads soundly has its root walk at byte " << found.root_walk
        << " of " << found.file_size
        << (found.own_tails ? ", found by its tails"
                            : ", found by its root walk alone (of such states, the one with the "
                              "most rows)");
  }
  out << "; " << found.tried << (found.tried == 1 ? " state" : " states") << " looked at\n";
  Describe(*storage, out);
  out << "written, freshly packed, to " << target << "; " << damaged << " is unchanged\n";
  return kCliOk;
}

}  // namespace woodtick
