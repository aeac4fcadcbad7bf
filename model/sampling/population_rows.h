// Reads the sampling settings of the populations from the Tally view held in
// a DataStore slot, for MakeStrategies.
#pragma once

#include <vector>

#include "model/sampling/sampling_strategies.h"

namespace woodtick {

class DataStore;

// The Meth and Freq cells (read as text and as a single real) of rows 0 to
// populations - 1. A cell that cannot be read (for example a missing column,
// position -1) gives an empty method or a frequency of 0: never a HIT.
std::vector<PopulationRow> ReadPopulationRows(DataStore& store, int slot, int populations,
                                              int method_col, int frequency_col);

}  // namespace woodtick
