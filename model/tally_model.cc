#include "model/tally_model.h"

#include "mk/convert.h"
#include "model/sampling/population_rows.h"
#include "model/sampling/sampling_strategies.h"
#include "model/tally_file.h"
#include "model/text.h"
#include "platform/env.h"
#include "platform/file_name_text.h"

namespace woodtick {
namespace {

constexpr const char* kUpgradeNote =
    "Data Updated for new SamplingStrategies class: Blanks changed to 'C's in Meth col of "
    "Tally Table.";

}  // namespace

// Turns the store's reports into message boxes.
class TallyModel::Reporter : public StoreReporter {
 public:
  explicit Reporter(TallyModel& model) : model_(model) {}
  void InternalError(const std::string& text) override {
    model_.ui_.ShowMessage({text, kProgramTitle, MessageIcon::kExclamation, MessageButtons::kOk});
  }
  void CommitFailed(const std::string& text) override { model_.TellCommitFailure(text); }
  void FileMoved(const std::string& text) override {
    model_.last_failure_ = text;
    // The model's own saves offer to save the data elsewhere instead.
    if (!model_.in_save_) model_.TellCommitFailure(text);
  }

 private:
  TallyModel& model_;
};

TallyModel::TallyModel(Ui& ui, TallyModelOptions options)
    : ui_(ui), options_(options), reporter_(std::make_unique<Reporter>(*this)) {
  if (options_.env == nullptr) options_.env = SystemEnv();
  store_ = NewStore();
}

TallyModel::~TallyModel() { CloseTallyFile(); }

std::unique_ptr<DataStore> TallyModel::NewStore() {
  return std::make_unique<DataStore>(reporter_.get(), options_.env);
}

void TallyModel::SetChosenFile(const std::string& path, const std::string& display_name,
                               const std::string& title) {
  path_ = path;
  display_name_ = display_name;
  title_ = title;
}

void TallyModel::SetStartupFile(const std::string& path) {
  startup_ = true;
  path_ = path;
}

bool TallyModel::OpenTallyFile() {
  BusyCursor busy(ui_);
  std::string display_name = display_name_;
  std::string title = title_;
  if (startup_) {
    // The title names the CSV export, so it keeps the file system's bytes.
    std::string file_name(BaseName(path_));
    display_name = FileNameText(file_name);
    size_t dot = file_name.find_last_of('.');
    title = dot == std::string::npos ? file_name : file_name.substr(0, dot);
  }
  // The lock taken here is held until CloseTallyFile; a reopen (after
  // Setup) goes on with the one already held.
  std::shared_ptr<FileLock> lock = held_lock_;
  if (lock == nullptr) {
    lock = options_.env->NewLock();
    int cause = lock->Acquire(path_);
    if (cause != kFileOpenOk) {
      busy.Release();
      TellUnopenable(display_name, cause);
      return false;
    }
    // Every tally is saved as it is made: a file that cannot take them is
    // refused now, not after the first tallies are lost.
    int write_error = options_.env->FileWriteError(path_);
    if (write_error != 0) {
      busy.Release();
      TellUnwritable(display_name, write_error);
      return false;
    }
  }

  // Check the structure on the file's own views first: a refused file is
  // closed without a commit, so it stays exactly as it was.
  auto store = NewStore();
  std::string missing;
  int opened = store->Open(path_, false, lock);
  if (opened == kStoreOk) {
    StandardSlots slots = woodtick::OpenAllViews(*store, false);
    missing = FindMissingStructure(*store, slots);
    store->Close(false);
  }
  if (opened != kStoreOk) {
    busy.Release();
    ui_.Warn(display_name + " cannot be read as a tally file.\n" + store->LastError() +
                 "\nThe file has not been changed.",
             "Not a Tally File");
    return false;
  }
  if (!missing.empty()) {
    busy.Release();
    ui_.Warn(display_name + " is not a tally file that Woodtick can open.\nIt lacks: " + missing +
                 ".\nThe file has not been changed.",
             "Not a Tally File");
    return false;
  }
  opened = store->Open(path_, true, lock);
  if (opened != kStoreOk) {
    busy.Release();
    ui_.Warn(display_name + " could not be opened again.\n" + store->LastError(),
             "Not a Tally File");
    return false;
  }
  held_lock_ = lock;

  display_name_ = display_name;
  title_ = title;
  ui_.ShowFileName(display_name_);
  store_ = std::move(store);
  OpenAllViews(true);
  store_->Close(true);
  LoadSettings();
  LookUpColumns();
  Log("Tally File Opened", "I", path_);
  CheckVersion();
  BuildStrategies();
  ui_.FileOpened();
  open_ = true;
  return true;
}

void TallyModel::OpenAllViews(bool buffered) {
  StandardSlots slots = woodtick::OpenAllViews(*store_, buffered);
  tally_slot_ = slots.tally;
  globals_slot_ = slots.globals;
  dictionary_slot_ = slots.dictionary;
  buffer_slot_ = slots.buffer;
  message_log_slot_ = slots.message_log;
}

void TallyModel::LookUpColumns() {
  LookUpUnitColumns();
  mk::View tally = store_->View(tally_slot_);
  tally_cols_.key = tally.FindPropIndexByName("Key");
  tally_cols_.desc = tally.FindPropIndexByName("Desc");
  tally_cols_.meth = tally.FindPropIndexByName("Meth");
  tally_cols_.freq = tally.FindPropIndexByName("Freq");
  tally_cols_.dat_table = tally.FindPropIndexByName("DatTable");
  tally_cols_.label = tally.FindPropIndexByName("Label");
  mk::View dict = store_->View(dictionary_slot_);
  dict_cols_.table_name = dict.FindPropIndexByName("TableName");
  dict_cols_.column_name = dict.FindPropIndexByName("ColumnName");
  dict_cols_.field_type = dict.FindPropIndexByName("FieldType");
  dict_cols_.description = dict.FindPropIndexByName("Description");
  dict_cols_.is_used = dict.FindPropIndexByName("IsUsed");
  dict_cols_.order1 = dict.FindPropIndexByName("Order1");
  dict_cols_.default_value = dict.FindPropIndexByName("DefaultValue");
}

void TallyModel::LookUpUnitColumns() {
  mk::View tally = store_->View(tally_slot_);
  tally_cols_.count = tally.FindPropIndexByName(CountColumnName(cur_unit_));
  tally_cols_.hit = tally.FindPropIndexByName(HitColumnName(cur_unit_));
}

void TallyModel::CheckVersion() {
  std::string old_version;
  bool has_row = ReadSetting("System", "Version", &old_version);
  if (!has_row || old_version != kProgramVersion) {
    Log("New Woodtick Version", "I", kProgramVersion);
    WriteSetting("System", "Version", kProgramVersion);
  }
  if (old_version == "1.0" || old_version == "1.1") {
    for (int row = 0; row < store_->View(tally_slot_).GetSize(); ++row) {
      if (ReadTallyText(row, tally_cols_.meth).empty()) {
        store_->SetString(tally_slot_, row, tally_cols_.meth, "C");
      }
    }
    Log("Tally Table updated", "I", kUpgradeNote);
  }
}

void TallyModel::BuildStrategies() {
  strategies_.reset();
  const Clock& clock = options_.env->clock();
  strategies_ = MakeStrategies(ReadPopulationRows(*store_, tally_slot_, num_populations_,
                                                  tally_cols_.meth, tally_cols_.freq),
                               clock);
}

void TallyModel::RunSetup() {
  {
    BusyCursor busy(ui_);
    // Closing drops the buffered views: only a file that holds them may close.
    if (Commit() != kStoreOk) {
      busy.Release();
      ui_.Warn(
          "Setup cannot open while the tally file cannot be saved.\nYour data is still "
          "held in memory. Make sure the disk has room and the tally file can be written, "
          "then try again.",
          "Setup Not Opened");
      return;
    }
    store_->Close(false);
    store_ = NewStore();
    if (store_->Open(path_, false, held_lock_) != kStoreOk) {
      busy.Release();
      ui_.Warn("Setup cannot open the tally file.\n" + store_->LastError(), "Setup Not Opened");
      open_ = false;
      return;
    }
    OpenAllViews(false);
  }
  ui_.RunSetupScreen(*this, *store_, num_populations_);
  BusyCursor busy(ui_);
  Commit();
  store_->Close(false);
  store_ = NewStore();
  if (!OpenTallyFile()) {
    // The Setup screen left a file that cannot be reopened: nothing more
    // can be tallied into it this run.
    open_ = false;
  }
}

void TallyModel::CloseTallyFile() {
  if (open_ && store_ != nullptr) {
    closing_ = true;
    moved_declined_ = false;  // a file that left its path is offered once more
    Log("Tally File Closed", "I", "");
    SaveBeforeClosing();
    for (int slot :
         {tally_slot_, globals_slot_, dictionary_slot_, buffer_slot_, message_log_slot_}) {
      if (slot >= 0) store_->ReleaseView(slot);
    }
    store_->Close(false);
    closing_ = false;
  }
  open_ = false;
  store_.reset();
  strategies_.reset();
  held_lock_.reset();
}

int TallyModel::Commit() {
  in_save_ = true;
  int result = store_->Commit();
  in_save_ = false;
  return AfterSave(result);
}

int TallyModel::Log(const std::string& msg, const std::string& level, const std::string& note) {
  in_save_ = true;
  int result = store_->LogMessage(msg, level, note);
  in_save_ = false;
  return AfterSave(result);
}

void TallyModel::TellCommitFailure(const std::string& text) {
  last_failure_ = text;
  if (commit_failing_ || closing_) return;
  commit_failing_ = true;
  ui_.ShowMessage({text + "\n\nMake sure the disk has room and the tally file can be written (for "
                          "example that its drive is still connected). You are told again only "
                          "after a save has succeeded, and always when the file is closed.",
                   "Data Not Saved", MessageIcon::kExclamation, MessageButtons::kOk});
}

void TallyModel::ChangeNumPopulations(int delta) {
  num_populations_ += delta;
  num_populations_text_ = DecimalText(num_populations_);
}

void TallyModel::SetHitNumber(int value) {
  hit_number_ = value;
  hit_number_text_ = DecimalText(value);
}

int TallyModel::ReadTallyInt(int row, int col) {
  int32_t value = 0;
  if (store_->GetInt(tally_slot_, row, col, &value) != kStoreOk) return 0;
  return value;
}

std::string TallyModel::ReadTallyText(int row, int col) {
  std::string text;
  store_->GetString(tally_slot_, row, col, &text);
  return text;
}

int TallyModel::FindPopulationByKey(const std::string& key) {
  for (int row = 0; row < store_->View(tally_slot_).GetSize(); ++row) {
    if (UpperCase(ReadTallyText(row, tally_cols_.key)) == key) return row;
  }
  return -1;
}

}  // namespace woodtick
