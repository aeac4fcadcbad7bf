#include "model/sampling/population_rows.h"

#include "store/data_store.h"

namespace woodtick {

std::vector<PopulationRow> ReadPopulationRows(DataStore& store, int slot, int populations,
                                              int method_col, int frequency_col) {
  std::vector<PopulationRow> rows(populations > 0 ? populations : 0);
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    if (store.GetString(slot, i, method_col, &rows[i].method) != kStoreOk) rows[i].method.clear();
    if (store.GetFloat(slot, i, frequency_col, &rows[i].frequency) != kStoreOk) {
      rows[i].frequency = 0;
    }
  }
  return rows;
}

}  // namespace woodtick
