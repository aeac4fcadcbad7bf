// What the program does after a crash or a failed save: it is started
// again and goes on saving. A file that read soundly right after the fault
// must stay sound through every kind of save that follows, each made by a
// fresh storage as after a restart: a count changed, a row appended to every
// table, many rows appended, another row, a pack. The same saves on an
// untouched copy of the same content give what each must leave.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mk/file_system.h"
#include "mk/status.h"
#include "mk/storage.h"

namespace mk {

constexpr int kCarryOnSteps = 5;

// The change of step `step` (0 to kCarryOnSteps - 1), not saved.
void CarryOnChange(Storage& storage, int step);
// Makes the change of step `step` and saves it (the last step packs).
Status CarryOnStep(Storage& storage, int step);
// Opens `path` through `fs`, then CarryOnStep.
Status CarryOnStepAt(const std::string& path, FileSystem* fs, int step);

// CarryOnStepAt on the real file system in a child process, as a program
// started again would.
Status CarryOnStepInNewProcess(const std::string& path, int step);

// The dump after each step, taken on an in-memory, freshly packed copy of
// `bytes` (which must read soundly); a failed step is told as "failed: <message>".
std::vector<std::string> CarryOnDumps(const std::string& bytes);

// Goes on from the file at `path` (through `fs`): every step in turn, each
// in a fresh storage, and after each the file must dump as `expected` says
// and, where metakit-reference is present, be accepted by it (from step
// `reference_from` on: suites that carry on from thousands of faults ask it
// only of the last saves). `run_step` takes a step in another process where
// a test needs a real restart (by default CarryOnStepAt). Returns "" or
// what went wrong first.
std::string CarryOn(const std::string& path, FileSystem* fs,
                    const std::vector<std::string>& expected,
                    const std::function<Status(int step)>& run_step = nullptr,
                    int reference_from = 0);

}  // namespace mk
