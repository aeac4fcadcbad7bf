// TallyModel: the in-memory state of the open tally file and every tally
// operation the screens call: opening, upgrading and closing the file, the
// settings and units, tallying a key, taking tallies back, the utilities
// (export, resets, clearing) and templates.
//
// The main screen owns one TallyModel for the whole run. The model reaches
// people only through Ui; it never touches Qt. Texts are 8-bit
// Windows-1252 bytes.
//
// The operations are split over several files: tally_model.cc (opening,
// setup cycle, closing), settings.cc (settings and units), process_key.cc
// (tallying), untally.cc, utilities.cc and csv_export.cc (the Utilities
// screen), templates.cc (Create Template).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/ui.h"
#include "store/data_store.h"

namespace woodtick {

class Env;
class SamplingStrategies;

// The program version every opened file is brought to.
inline constexpr const char* kProgramVersion = "2005.05.03";

// Unit texts have three digits.
inline constexpr int kMaxUnits = 999;

// Marker lines of the Untally list.
inline constexpr const char* kUntalliedMarker = "--untallied--";
inline constexpr const char* kPopDeletedMarker = "--pop deleted--";
inline constexpr const char* kUnitDeletedMarker = "--unit deleted--";

// Where the model gets its files, locks and time; tests replace it.
struct TallyModelOptions {
  Env* env = nullptr;  // null: the real machine
};

class TallyModel {
 public:
  // Positions of the columns the model addresses, looked up by name when a
  // file opens (-1 when absent; an opened file has all of them).
  struct TallyColumns {
    int key = -1, label = -1, desc = -1, meth = -1, freq = -1, dat_table = -1;
    int count = -1, hit = -1;  // of the current unit
  };
  struct DictionaryColumns {
    int table_name = -1, column_name = -1, field_type = -1, description = -1;
    int is_used = -1, order1 = -1, default_value = -1;
  };

  explicit TallyModel(Ui& ui, TallyModelOptions options = {});
  ~TallyModel();  // CloseTallyFile
  TallyModel(const TallyModel&) = delete;
  TallyModel& operator=(const TallyModel&) = delete;

  // ---- the file (tally_model.cc)
  // The file chosen in the file-open dialog: full path, name with
  // extension, name without extension.
  void SetChosenFile(const std::string& path, const std::string& display_name,
                     const std::string& title);
  // The file named on the command line: OpenTallyFile derives the display
  // name and title from the path.
  void SetStartupFile(const std::string& path);
  // Opens the file as the program does (in-use test, all views buffered,
  // settings, the version check and upgrade, sampling strategies) and logs
  // "Tally File Opened". False, with the model unchanged and a message
  // shown, when the file is held, missing, cannot be written or is not a
  // usable tally file. From the first successful open to CloseTallyFile
  // the model holds the file's lock without a break, through every reopen.
  bool OpenTallyFile();
  // Opens the five standard views, then every other view of the file.
  void OpenAllViews(bool buffered);
  // Commits, reopens the file with attached views around the Setup screen
  // (Ui::RunSetupScreen), then opens it afresh with OpenTallyFile.
  void RunSetup();
  // Logs "Tally File Closed", commits and closes (when a file is open), and
  // discards the store and the sampling strategies. A save that fails here
  // is always told, with the choice to try again or to end knowing what is
  // lost; the file's lock goes last.
  void CloseTallyFile();
  // Discards the sampling strategies and builds them from the Tally rows.
  void BuildStrategies();
  // Commits the store; a failure is told once per streak of failures. When
  // the file has left its path, offers to save the held data there again or
  // under another name (SaveMovedFile).
  int Commit();
  // LogMessage on the store (which commits), ending a failure streak too.
  int Log(const std::string& msg, const std::string& level, const std::string& note);

  // ---- settings and units (settings.cc)
  void LoadSettings();
  // The Specify Units screen's OK with the typed text. False, with a
  // message and nothing changed, for more than kMaxUnits units or when the
  // file could not be restructured.
  bool SetNumberOfUnits(const std::string& text);
  // The tally screen's unit list, with the selected text ("004").
  void SetCurrentUnit(const std::string& text);
  // The largest "Num" of the records of `unit` in the data table of the
  // first population (0 when none); nullopt when that table does not exist.
  std::optional<int> LastHitNumberOfUnit(int unit);
  // The hit number becomes the last hit number of `unit` (unchanged when
  // the table does not exist); returns whether it was set.
  bool RefreshHitNumber(int unit);
  // A Globals setting through a selection of its row; false when the row
  // is missing.
  bool ReadSetting(const std::string& block, const std::string& key, std::string* value);
  // Writes the row's Value, appending the row when it is missing.
  void WriteSetting(const std::string& block, const std::string& key, const std::string& value);
  // The Setup screen's controls: the save-interval list (item position from
  // 0 and its text) and the three check boxes ("Y"/"N" written at once).
  void SetSaveIntervalItem(int position, const std::string& text);
  void SetSound(bool on);
  void SetShowCountsOnButtons(bool on);
  void SetShowNumBox(bool on);

  // ---- tallying (process_key.cc)
  // The hidden key box of the main screen: every write is one change and
  // runs ProcessKey on the new text at once (the same text again included).
  void SetKeyBoxText(const std::string& text);
  // One change of the key box's text.
  void ProcessKey(const std::string& text);
  // Appends the last key to Buffer, keeping the last ten.
  void AddBufferEntry(bool measured);

  // ---- untally (untally.cc)
  // Commits, then builds one line per Buffer row, oldest first.
  std::vector<std::string> UntallyListLines();
  static bool IsUntallyMarker(const std::string& line);
  // Takes back Buffer row `selection`, whose list line is `line`. True when
  // it was taken back (the screen then shows kUntalliedMarker there).
  bool UntallyEntry(int selection, const std::string& line);

  // ---- the Utilities screen (utilities.cc, csv_export.cc)
  // "Message Log contains %d records" with the log's row count.
  std::string MessageLogLine();
  // Writes title + ".csv" into the current directory; false when held.
  bool ExportCsv();
  // The three buttons: confirm, act, log, commit, tell. True when done.
  bool ResetCountersCommand();
  bool ClearDataTablesCommand();
  bool ClearMessageLogCommand();  // the screen then shows kMessageLogClearedLine
  static constexpr const char* kMessageLogClearedLine = "Message Log contains 1 record";
  // Zero every unit count and hit cell of units 1 to num_units in the
  // store's Tally view.
  static void ResetCounters(DataStore& store, int num_units);
  // Removes every row of every table named in `tables_defined`.
  static void ClearDataTables(DataStore& store, const std::string& tables_defined);

  // ---- templates (templates.cc)
  // Asks for a name (Ui::AskTemplateName), copies the file on disk beside
  // itself and empties the copy. True when a template was made.
  bool CreateTemplate();
  const std::string& template_path() const { return template_path_; }

  // ---- state the screens read
  Ui& ui() { return ui_; }
  DataStore* store() { return store_.get(); }
  SamplingStrategies* strategies() { return strategies_.get(); }
  bool is_open() const { return open_; }
  bool startup() const { return startup_; }
  const std::string& path() const { return path_; }
  const std::string& display_name() const { return display_name_; }
  const std::string& title() const { return title_; }

  int tally_slot() const { return tally_slot_; }
  int globals_slot() const { return globals_slot_; }
  int buffer_slot() const { return buffer_slot_; }
  int dictionary_slot() const { return dictionary_slot_; }
  int message_log_slot() const { return message_log_slot_; }
  const TallyColumns& tally_columns() const { return tally_cols_; }
  const DictionaryColumns& dictionary_columns() const { return dict_cols_; }

  int num_populations() const { return num_populations_; }
  const std::string& num_populations_text() const { return num_populations_text_; }
  // The record editor adds or deletes populations while Setup is open.
  void ChangeNumPopulations(int delta);
  const std::string& keys() const { return keys_; }

  int num_units() const { return num_units_; }
  const std::string& num_units_text() const { return num_units_text_; }
  int cur_unit() const { return cur_unit_; }
  const std::string& tables_defined() const { return tables_defined_; }
  int save_interval() const { return save_interval_; }
  bool sound() const { return sound_; }
  bool show_counts_on_buttons() const { return show_counts_on_buttons_; }
  bool show_num_box() const { return show_num_box_; }

  const std::string& last_key() const { return last_key_; }
  // Row of the population tallied last; -1 before the first valid tally.
  int last_row() const { return last_row_; }
  const std::string& status_text() const { return status_text_; }
  const std::string& count_text() const { return count_text_; }
  const std::string& hit_text() const { return hit_text_; }
  bool measured() const { return measured_; }
  int64_t save_counter() const { return save_counter_; }
  int hit_number() const { return hit_number_; }
  const std::string& hit_number_text() const { return hit_number_text_; }
  // The tally screen's Num box was edited.
  void SetHitNumber(int value);
  const std::string& key_box_text() const { return key_box_text_; }

 private:
  class Reporter;

  std::unique_ptr<DataStore> NewStore();
  void LookUpColumns();
  void CheckVersion();
  void LookUpUnitColumns();
  // Cell helpers on the Tally view.
  int ReadTallyInt(int row, int col);
  std::string ReadTallyText(int row, int col);
  // The Tally row whose upper-cased Key is `key`, the first such (the one
  // ProcessKey counts); -1.
  int FindPopulationByKey(const std::string& key);
  void AddDataRecord(int row);
  // Untally of a HIT: deletes the record Buffer row `selection` added to the
  // data table of population `row` when it can be told with certainty, and
  // returns the log's deletion note ("" when nothing was deleted).
  std::string DeleteHitRecord(int selection, int row, int unit);
  // The Num the HIT of Buffer row `buffer_row` wrote into its record; ""
  // when it wrote none or was made before this run.
  std::string HitNumberWrittenBy(int buffer_row);
  void TellCommitFailure(const std::string& text);
  // SetNumberOfUnits with n differing from NumUnits: "" when done, else why
  // not (the file, settings and columns then as they were).
  std::string RestructureUnits(int n, const std::string& text);
  // While one lives, failed commits are not told (its owner tells them).
  class QuietCommitFailures {
   public:
    explicit QuietCommitFailures(TallyModel* model)
        : model_(model), was_(std::exchange(model->commit_failing_, true)) {}
    ~QuietCommitFailures() { model_->commit_failing_ = was_; }

   private:
    TallyModel* model_;
    bool was_;
  };
  // What to do with a result of the store's Commit or LogMessage: a moved
  // file is offered SaveMovedFile, success ends a failure streak.
  int AfterSave(int result);
  // Asks whether to save the held data as the old path again (Yes), under
  // another name (No) or not now (Cancel); the answer of the store's SaveAs.
  int SaveMovedFile();
  int SaveHeldDataAs(const std::string& path);
  // Tells why the file at path_ cannot be opened (a FileOpenError cause).
  void TellUnopenable(const std::string& display_name, int cause);
  // Tells that the file at path_ cannot be written and why (an errno).
  void TellUnwritable(const std::string& display_name, int error);
  // The last save before the file closes: retried for as long as the user asks.
  void SaveBeforeClosing();

  Ui& ui_;
  TallyModelOptions options_;
  std::unique_ptr<Reporter> reporter_;
  bool commit_failing_ = false;  // inside a streak of failed commits
  bool closing_ = false;         // the last save: failures are told by SaveBeforeClosing
  bool in_save_ = false;         // inside Commit or Log: a moved file is offered there
  bool moved_declined_ = false;  // "not now" to saving a moved file: not asked again until
                                 // the close or a Retry there
  std::string last_failure_;     // the store's text of the last failed save
  int unsaved_tallies_ = 0;      // tallies since the last successful save
  // The open file's lock, held from the first open to the end of the run.
  std::shared_ptr<FileLock> held_lock_;

  // file
  std::string path_;
  std::string display_name_;
  std::string title_;
  bool startup_ = false;
  bool open_ = false;

  // store
  std::unique_ptr<DataStore> store_;
  std::unique_ptr<SamplingStrategies> strategies_;

  // view slots and column positions
  int tally_slot_ = -1;
  int globals_slot_ = -1;
  int dictionary_slot_ = -1;
  int buffer_slot_ = -1;
  int message_log_slot_ = -1;
  TallyColumns tally_cols_;
  DictionaryColumns dict_cols_;

  // populations
  int num_populations_ = 0;
  std::string num_populations_text_ = "0";
  std::string keys_;

  // settings
  int num_units_ = 1;
  std::string num_units_text_ = "1";
  int cur_unit_ = 1;
  std::string tables_defined_;
  int save_interval_ = 1;
  bool sound_ = false;
  bool show_counts_on_buttons_ = false;
  bool show_num_box_ = false;

  // tally state
  std::string key_box_text_;
  std::string last_key_;
  int last_row_ = -1;
  std::string status_text_;
  std::string count_text_;
  std::string hit_text_;
  bool measured_ = false;
  int64_t save_counter_ = 0;  // never reset during a run
  // The Num each of the last Buffer entries wrote into its record (""
  // when none), aligned with the end of Buffer.
  std::deque<std::string> buffer_nums_;
  int hit_number_ = 0;
  std::string hit_number_text_ = "0";
  std::set<std::string> missing_tables_told_;

  // utilities
  std::string template_path_;
};

}  // namespace woodtick
