// What the tally screen shows besides a tally's result: the unit chosen in
// its list, the hit number of its Num box and the populations' buttons.
#include <algorithm>

#include "mk/convert.h"
#include "model/tally_file.h"
#include "model/tallying.h"
#include "model/text.h"

namespace woodtick {

void Tallying::SetCurrentUnit(const std::string& text) {
  BusyCursor busy(ctx_.ui);
  int unit = mk::TextToInt(text);
  if (!settings_.SelectUnit(unit)) return;
  // The last tallied population's texts must describe the unit now shown:
  // the tally screen redraws that button from them after any key, even an
  // invalid one.
  if (last_row_ >= 0 && last_row_ < ctx_.NumTallyRows()) {
    count_text_ = ctx_.ReadTallyText(last_row_, ctx_.tally_cols.count);
    hit_text_ = ctx_.ReadTallyText(last_row_, ctx_.tally_cols.hit);
  }
  if (settings_.show_counts_on_buttons()) ctx_.ui.RedrawPopulationButtons();
  if (settings_.show_num_box() && RefreshHitNumber(unit)) {
    ctx_.ui.ShowHitNumber(DecimalText(hit_number_));
  }
  file_.Commit();
}

std::optional<int> Tallying::LastHitNumberOfUnit(int unit) {
  DataStore& store = *ctx_.store;
  if (ctx_.NumTallyRows() < 1) return std::nullopt;
  std::string table = ctx_.ReadTallyText(0, ctx_.tally_cols.dat_table);
  int table_slot = table.empty() || IsStandardView(table) ? -1 : store.FindView(table);
  if (table_slot < 0) return std::nullopt;
  mk::View view = store.View(table_slot);
  if (view.FindPropIndexByName("Num") < 0 || view.FindPropIndexByName("Unit") < 0) {
    return std::nullopt;
  }
  int slot = store.OpenSelection(table, "Num", "Unit=" + UnitText(unit), "", "");
  if (slot < 0) return std::nullopt;
  int last = 0;
  for (int row = 0; row < store.View(slot).GetSize(); ++row) {
    int32_t num = 0;
    store.GetInt(slot, row, 0, &num);
    last = std::max(last, static_cast<int>(num));
  }
  store.ReleaseView(slot);
  return last;
}

bool Tallying::RefreshHitNumber(int unit) {
  std::optional<int> last = LastHitNumberOfUnit(unit);
  if (!last) return false;
  SetHitNumber(*last);
  return true;
}

std::vector<PopulationButton> Tallying::PopulationButtons(int unit) {
  std::vector<PopulationButton> buttons;
  if (ctx_.store == nullptr) return buttons;
  mk::View tally = ctx_.store->View(ctx_.view_slots.tally);
  const int count_col = tally.FindPropIndexByName(CountColumnName(unit));
  const int hit_col = tally.FindPropIndexByName(HitColumnName(unit));
  for (int row = 0; row < settings_.num_populations(); ++row) {
    buttons.push_back({ctx_.ReadTallyText(row, ctx_.tally_cols.key),
                       ctx_.ReadTallyText(row, ctx_.tally_cols.label),
                       ctx_.ReadTallyInt(row, count_col), ctx_.ReadTallyInt(row, hit_col)});
  }
  return buttons;
}

std::string Tallying::LastPopulationLabel() {
  if (ctx_.store == nullptr || last_row_ < 0 || last_row_ >= ctx_.NumTallyRows()) return "";
  return ctx_.ReadTallyText(last_row_, ctx_.tally_cols.label);
}

}  // namespace woodtick
