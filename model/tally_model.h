// TallyModel: the tally file the screens work on, as one object. It owns
// the parts that each do one job, sharing one ModelContext, and runs the
// file's life (open, Setup, close); each screen works on the part it shows:
//   HeldFile       holding the file: open, lock, names, reopen for Setup
//   SaveFailures   its saves, and what happens when one fails
//   TallySettings  the settings and units, held as typed values
//   Tallying       the key box, ProcessKey, the Buffer and the hit number
//   Untally        taking back a recent tally
//   Utilities      the Utilities screen; Templates: Create Template
//   DataTables     data tables, their columns and records; species lists
//
// The main screen owns one TallyModel for the whole run. The model reaches
// people only through Ui; it never touches Qt. Texts are 8-bit
// Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/buffer_entry.h"
#include "model/data_tables.h"
#include "model/held_file.h"
#include "model/model_context.h"
#include "model/tally_model_options.h"
#include "model/tally_settings.h"
#include "model/tallying.h"
#include "model/templates.h"
#include "model/ui.h"
#include "model/untally.h"
#include "model/utilities.h"
#include "store/data_store.h"

namespace woodtick {

class SamplingStrategies;

class TallyModel {
 public:
  using DictionaryColumns = woodtick::DictionaryColumns;

  explicit TallyModel(Ui& ui, TallyModelOptions options = {});
  ~TallyModel();  // CloseTallyFile
  TallyModel(const TallyModel&) = delete;
  TallyModel& operator=(const TallyModel&) = delete;

  // ---- the file
  // The file chosen in the file-open dialog: full path, name with
  // extension, name without extension.
  void SetChosenFile(const std::string& path, const std::string& display_name,
                     const std::string& title) {
    file_.SetChosenFile(path, display_name, title);
  }
  // The file named on the command line: OpenTallyFile derives the display
  // name and title from the path.
  void SetStartupFile(const std::string& path) { file_.SetStartupFile(path); }
  // Opens the file as the program does (in-use test, all views buffered,
  // settings, the version check and upgrade, sampling strategies) and logs
  // "Tally File Opened". False, with the model unchanged and a message
  // shown, when the file is held, missing, cannot be written or is not a
  // usable tally file. From the first successful open to CloseTallyFile
  // the model holds the file's lock without a break, through every reopen.
  bool OpenTallyFile();
  // Opens the five standard views, then every other view of the file.
  void OpenAllViews(bool buffered) { ctx_.OpenAllViews(buffered); }
  // Commits, reopens the file with attached views around the Setup screen
  // (Ui::RunSetupScreen), then opens it afresh with OpenTallyFile.
  void RunSetup();
  // Logs "Tally File Closed", commits and closes (when a file is open), and
  // discards the store and the sampling strategies. A save that fails here
  // is always told, with the choice to try again or to end knowing what is
  // lost; the file's lock goes last.
  void CloseTallyFile() {
    file_.Close();
    tallying_.DropStrategies();
  }
  void BuildStrategies() { tallying_.BuildStrategies(); }
  // Commits the store; a failure is told once per streak of failures. When
  // the file has left its path, offers to save the held data there again or
  // under another name.
  int Commit() { return file_.Commit(); }

  // ---- the parts: each screen works on the one whose job it shows
  TallySettings& settings() { return settings_; }
  const TallySettings& settings() const { return settings_; }
  Tallying& tallying() { return tallying_; }
  const Tallying& tallying() const { return tallying_; }
  Untally& untally() { return untally_; }
  Utilities& utilities() { return utilities_; }
  Templates& templates() { return templates_; }

  // ---- what the table editors use of the file and its settings
  void LoadSettings() { settings_.Load(); }
  bool SetNumberOfUnits(const std::string& text) { return settings_.SetNumberOfUnits(text); }
  bool ReadSetting(const std::string& block, const std::string& key, std::string* value) {
    return settings_.Read(block, key, value);
  }
  void WriteSetting(const std::string& block, const std::string& key, const std::string& value) {
    settings_.Write(block, key, value);
  }
  void SetSound(bool on) { settings_.SetSound(on); }
  int num_populations() const { return settings_.num_populations(); }
  void ChangeNumPopulations(int delta) { settings_.ChangeNumPopulations(delta); }
  const std::string& tables_defined() const { return settings_.tables_defined(); }
  bool sound() const { return settings_.sound(); }

  // ---- data tables and their records, populations from a species list
  DataTables& data_tables() { return data_tables_; }

  // ---- state the screens read
  Ui& ui() { return ctx_.ui; }
  DataStore* store() { return ctx_.store.get(); }
  SamplingStrategies* strategies() { return ctx_.strategies.get(); }
  bool is_open() const { return file_.is_open(); }
  const std::string& path() const { return file_.path(); }
  const std::string& display_name() const { return file_.display_name(); }
  const std::string& title() const { return file_.title(); }
  int tally_slot() const { return ctx_.view_slots.tally; }
  int dictionary_slot() const { return ctx_.view_slots.dictionary; }
  const DictionaryColumns& dictionary_columns() const { return ctx_.dict_cols; }

 private:
  ModelContext ctx_;
  HeldFile file_{ctx_};
  TallySettings settings_{ctx_, file_};
  Tallying tallying_{ctx_, file_, settings_};
  Untally untally_{ctx_, file_, settings_, tallying_};
  Utilities utilities_{ctx_, file_, settings_};
  Templates templates_{ctx_, file_, settings_};
  DataTables data_tables_{ctx_, file_, settings_, tallying_};
};

}  // namespace woodtick
