#include "mk/testing/carry_on.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "mk/dump.h"
#include "mk/testing/memory_file_system.h"
#include "mk/testing/reference_tool.h"
#include "mk/testing/test_support.h"
#include "mk/view.h"

namespace mk {
namespace {

// Texts of a length that differs from row to row, so that an appended item
// never happens to match what an interrupted save left behind.
std::string TextFor(int row, int step) {
  return std::string(1 + (row * 5 + step * 3) % 13, static_cast<char>('a' + (row + step) % 26));
}

void FillRow(View view, int row, int step) {
  for (int c = 0; c < view.NumProperties(); ++c) {
    switch (view.NthProperty(c).type) {
      case 'I':
        view.SetInt(row, c, (row + step) % 11);
        break;
      case 'L':
        view.SetLong(row, c, int64_t{row} * 7919 + step);
        break;
      case 'F':
        view.SetFloat(row, c, static_cast<float>(row) / 4);
        break;
      case 'D':
        view.SetDouble(row, c, row * 0.5 + step);
        break;
      case 'S':
        view.SetString(row, c, TextFor(row, step));
        break;
      case 'B':
        view.SetBytes(row, c, TextFor(row, step) + std::string(1, '\0'));
        break;
      default:
        break;  // nested views stay empty
    }
  }
}

void AppendRows(View view, int rows, int step) {
  int first = view.GetSize();
  view.SetSize(first + rows);
  for (int r = first; r < first + rows; ++r) FillRow(view, r, step);
}

// A count goes up: the first numeric cell of the first view with rows, or
// else its first text changes.
void ChangeACount(Storage& storage) {
  for (const std::string& name : storage.ViewNames()) {
    View view = storage.GetView(name);
    if (view.GetSize() == 0) continue;
    for (int c = 0; c < view.NumProperties(); ++c) {
      char type = view.NthProperty(c).type;
      if (type == 'L') return view.SetLong(0, c, view.GetLong(0, c) + 1);
      if (type == 'I') return view.SetInt(0, c, view.GetInt(0, c) + 1);
    }
    for (int c = 0; c < view.NumProperties(); ++c) {
      if (view.NthProperty(c).type == 'S') {
        return view.SetString(0, c, std::string(view.GetString(0, c)) + "+");
      }
    }
  }
}

std::string LargestView(Storage& storage) {
  std::string largest;
  int rows = -1;
  for (const std::string& name : storage.ViewNames()) {
    View view = storage.GetView(name);
    if (view.NumProperties() > 0 && view.GetSize() > rows) {
      rows = view.GetSize();
      largest = name;
    }
  }
  return largest;
}

// Whether the reference tool accepts the file (true where it is absent).
// Each distinct image is checked once per test program.
bool ReferenceAccepts(const std::string& path, FileSystem* fs, std::string* why) {
  static std::map<std::string, std::string> verdicts;  // image -> "" or the refusal
  if (ReferenceToolPath().empty()) return true;
  auto* memory = dynamic_cast<MemoryFileSystem*>(fs);
  std::string bytes = memory ? memory->GetFile(path) : ReadBytes(path);
  auto known = verdicts.find(bytes);
  if (known == verdicts.end()) {
    std::string scratch = MakeScratchDir("carry-on-reference");
    WriteBytes(scratch + "/file.mk", bytes);
    ReferenceVerdict verdict;
    ReferenceCheck(scratch + "/file.mk", &verdict);
    std::filesystem::remove_all(scratch);
    known = verdicts.emplace(bytes, verdict.accepted ? "" : "metakit-reference: " + verdict.output)
                .first;
  }
  *why = known->second;
  return why->empty();
}

}  // namespace

void CarryOnChange(Storage& storage, int step) {
  switch (step) {
    case 0:
      ChangeACount(storage);
      break;
    case 1:
    case 3:
      for (const std::string& name : storage.ViewNames()) {
        View view = storage.GetView(name);
        if (view.NumProperties() > 0) AppendRows(view, 1, step);
      }
      break;
    case 2:
      if (std::string name = LargestView(storage); !name.empty()) {
        AppendRows(storage.GetView(name), 300, step);
      }
      break;
    default:
      break;  // a pack changes nothing
  }
}

Status CarryOnStep(Storage& storage, int step) {
  CarryOnChange(storage, step);
  return step == kCarryOnSteps - 1 ? storage.Pack() : storage.Commit();
}

Status CarryOnStepAt(const std::string& path, FileSystem* fs, int step) {
  std::unique_ptr<Storage> storage;
  Status s = Storage::Open(path, &storage, fs);
  return s.ok() ? CarryOnStep(*storage, step) : s;
}

std::vector<std::string> CarryOnDumps(const std::string& bytes) {
  MemoryFileSystem memory;
  memory.SetFile("carry-on.mk", bytes);
  std::vector<std::string> dumps;
  // Packed first: the copy holds the content, not the bytes a fault left
  // between the blocks.
  if (Status s = CarryOnStepAt("carry-on.mk", &memory, kCarryOnSteps - 1); !s.ok()) {
    return {"failed: " + s.message()};
  }
  for (int step = 0; step < kCarryOnSteps; ++step) {
    Status s = CarryOnStepAt("carry-on.mk", &memory, step);
    std::string dump = s.ok() ? DumpFile("carry-on.mk", &s, &memory) : "";
    dumps.push_back(s.ok() ? dump : "failed: " + s.message());
  }
  return dumps;
}

std::string CarryOn(const std::string& path, FileSystem* fs,
                    const std::vector<std::string>& expected,
                    const std::function<Status(int step)>& run_step, int reference_from) {
  auto* memory = dynamic_cast<MemoryFileSystem*>(fs);
  for (int step = 0; step < kCarryOnSteps; ++step) {
    // Another file to the engine, as after a restart: nothing it remembers
    // of the file is used.
    if (memory) memory->SetFile(path, memory->GetFile(path));
    const std::string at = "carrying on, save " + std::to_string(step + 1) + ": ";
    Status s = run_step ? run_step(step) : CarryOnStepAt(path, fs, step);
    if (!s.ok()) return at + "failed: " + s.message();
    std::string dump = DumpFile(path, &s, fs);
    if (!s.ok()) return at + "unreadable: " + s.message();
    if (step < static_cast<int>(expected.size()) && dump != expected[step]) {
      return at + "the file holds other content than the same saves make of an undamaged copy";
    }
    std::string why;
    if (step >= reference_from && !ReferenceAccepts(path, fs, &why)) return at + why;
  }
  return "";
}

Status CarryOnStepInNewProcess(const std::string& path, int step) {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) _exit(CarryOnStepAt(path, DefaultFileSystem(), step).ok() ? 0 : 1);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return Status::IOError("cannot start a process");
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Status::Ok();
  return Status::IOError(path + ": the save in a new process failed");
}

}  // namespace mk
