// Makes the bundled example tally file with the program's own code: a new
// tally file, three units, four populations (methods C, S, R and B) that
// record into the data table Trees, then a short tally through the model
// whose HITs are measured as the record editor would. It is made in memory
// with the clock fixed, so the file comes out the same on every run, and
// written out at the end; an existing file is never replaced.
//
//   make_forest forest.tal
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/tally_model.h"
#include "model/testing/fake_ui.h"
#include "model/testing/model_fixture.h"
#include "platform/clock.h"
#include "platform/testing/memory_env.h"

namespace woodtick {
namespace {

// Writes `bytes` to a new file at `path`; false (with the reason told) when
// the file exists or cannot be written.
bool WriteNewFile(const std::string& path, const std::string& bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wbx");
  if (out == nullptr) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  written = std::fclose(out) == 0 && written;
  if (!written) {
    std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
    std::remove(path.c_str());
  }
  return written;
}

int MakeForest(const std::string& path) {
  MemoryEnv env;
  env.fixed_clock().Set(LocalDateTime{2005, 5, 3, 9, 5, 0, 0});
  env.fixed_clock().SetSeconds(1115111100);
  TallyFileSpec spec{
      .num_units = 3,
      .populations = {{.key = "P",
                       .label = "Pine",
                       .desc = "Ponderosa pine",
                       .meth = "C",
                       .freq = 1,
                       .dat_table = "Trees"},
                      {.key = "F",
                       .label = "Fir",
                       .desc = "Douglas-fir",
                       .meth = "S",
                       .freq = 3,
                       .dat_table = "Trees"},
                      {.key = "L",
                       .label = "Larch",
                       .desc = "Western larch",
                       .meth = "R",
                       .freq = 0.25,
                       .dat_table = "Trees"},
                      {.key = "S",
                       .label = "Snag",
                       .desc = "Standing dead, any species",
                       .meth = "B",
                       .freq = 2,
                       .dat_table = "Trees"}},
      .tables = {{.name = "Trees", .columns = {"Unit", "Num", "Label", "Height", "Dbh", "Notes"}}},
      .settings = {{"System", "SaveInterval", "5"},
                   {"System", "ShowCountsOnButtons", "Y"},
                   {"System", "ShowNumBox", "Y"}}};
  std::string error;
  if (!BuildTallyFile(path, spec, &error, env)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  FakeUi ui;
  int measured = 0;
  ui.record_editor = [&measured](const RecordEditorRequest& r) {
    ++measured;
    r.store->SetString(r.slot, r.row, 0, r.unit_text);
    r.store->SetString(r.slot, r.row, 1, r.hit_number_text);
    r.store->SetString(r.slot, r.row, 2, r.label);
    r.store->SetString(r.slot, r.row, 3, std::to_string(12 + measured * 3 % 17) + ".5");
    r.store->SetString(r.slot, r.row, 4, std::to_string(18 + measured * 7 % 23) + ".2");
    if (measured % 4 == 0) r.store->SetString(r.slot, r.row, 5, "forked top, north side");
  };
  TallyModel model(ui, {&env});
  model.SetStartupFile(path);
  if (!model.OpenTallyFile()) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 1;
  }
  for (char key : std::string("PFFLSPFFSLFP")) model.tallying().SetKeyBoxText(std::string(1, key));
  model.tallying().SetCurrentUnit("002");
  for (char key : std::string("FFSPLFSS")) model.tallying().SetKeyBoxText(std::string(1, key));
  model.tallying().SetCurrentUnit("001");
  model.CloseTallyFile();
  return WriteNewFile(path, env.disk().GetFile(path)) ? 0 : 1;
}

}  // namespace
}  // namespace woodtick

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_forest FILE.tal\n");
    return 2;
  }
  return woodtick::MakeForest(argv[1]);
}
