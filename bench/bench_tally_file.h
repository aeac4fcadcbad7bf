// A tally file for benchmarks: a copy of the sample tally file whose Trees
// data table is filled up to `records` rows of field-like values.
#pragma once

#include <memory>
#include <string>

#include "mk/storage.h"
#include "platform/temp_dir.h"

namespace woodtick {

// The path of the file inside `dir`; "" when it could not be written.
inline std::string MakeBenchTallyFile(const TempDir& dir, int records) {
  std::string path = dir.CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/sample.tal", "bench.tal");
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View trees = storage->GetView("Trees");
  int first = trees.GetSize();
  trees.InsertEmptyRowsAt(first, records - first);
  for (int row = first; row < records; ++row) {
    trees.SetString(row, 0, std::to_string(row % 100 + 1));
    trees.SetString(row, 1, std::to_string(row + 1));
    trees.SetString(row, 2, row % 3 == 0 ? "Fir" : "Pine");
    trees.SetString(row, 3, std::to_string(10 + row % 30) + ".5");
    trees.SetString(row, 4, std::to_string(20 + row % 40) + ".1");
    if (row % 7 == 0) trees.SetString(row, 5, "near road, north side");
  }
  if (!storage->Commit().ok()) return "";
  return path;
}

}  // namespace woodtick
