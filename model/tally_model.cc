#include "model/tally_model.h"

#include "platform/file_name_text.h"

namespace woodtick {

TallyModel::TallyModel(Ui& ui, TallyModelOptions options) : ctx_(ui, options) {}

TallyModel::~TallyModel() { CloseTallyFile(); }

bool TallyModel::OpenTallyFile() {
  BusyCursor busy(ctx_.ui);
  if (!file_.Open(busy)) return false;
  settings_.Load();
  ctx_.LookUpColumns(settings_.cur_unit());
  file_.Log("Tally File Opened", "I", FileNameText(file_.path()));
  settings_.CheckVersion();
  tallying_.BuildStrategies();
  ctx_.ui.FileOpened();
  file_.set_open(true);
  return true;
}

void TallyModel::RunSetup() {
  if (!file_.OpenForSetup()) return;
  ctx_.ui.RunSetupScreen(*this, settings_.num_populations());
  BusyCursor busy(ctx_.ui);
  file_.CloseAfterSetup();
  if (!OpenTallyFile()) {
    // The Setup screen left a file that cannot be reopened: nothing more
    // can be tallied into it this run.
    file_.set_open(false);
  }
}

}  // namespace woodtick
