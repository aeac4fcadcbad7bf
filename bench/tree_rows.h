// The measured records of bench files: rows of a Trees view
// [Unit,Num,Label,Height,Dbh,Notes], with long notes on two rows in three
// of a big file and a short note on every seventh row otherwise, so large
// files weigh what a season of field notes does.
#pragma once

#include <functional>
#include <string>

#include "bench/letters.h"
#include "mk/view.h"

// Files with at least this many records get the long notes.
inline constexpr int kBigFile = 200000;

// Fills rows `first` to `records` - 1 of `trees`; `unit` and `label` give
// the row's Unit and Label.
inline void FillTreeRows(mk::View& trees, int first, int records,
                         const std::function<std::string(int)>& unit,
                         const std::function<std::string(int)>& label) {
  for (int row = first; row < records; ++row) {
    trees.SetString(row, 0, unit(row));
    trees.SetString(row, 1, std::to_string(row + 1));
    trees.SetString(row, 2, label(row));
    trees.SetString(row, 3, std::to_string(10 + row % 30) + ".5");
    trees.SetString(row, 4, std::to_string(20 + row % 40) + ".1");
    if (records >= kBigFile && row % 3 != 0) {
      trees.SetString(row, 5, Letters(150 + row % 201, row));
    } else if (row % 7 == 0) {
      trees.SetString(row, 5, "near road, north side");
    }
  }
}
