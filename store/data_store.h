// DataStore: the only path by which the program reads or writes a tally
// file. It holds open views in 25 numbered slots; callers address views by
// slot number and cells by zero-based row and column.
//
// Results are small signed codes (below), never exceptions. A caller that
// breaks a limit (a row or column outside the view, a missing column name,
// no free slot) gets a failure result and nothing is touched.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mk/storage.h"
#include "mk/view.h"
#include "platform/env.h"
#include "store/store_reporter.h"

namespace woodtick {

// Store result codes. Several meanings share a number because callers test
// the number; each meaning has its own name so the code says which it means.
inline constexpr int kStoreOk = 0;
inline constexpr int kStoreNotFound = -1;        // no view, column or dictionary row of that name
inline constexpr int kStoreNoFreeSlot = -1;      // every one of the kNumSlots slots is taken
inline constexpr int kStoreEmptySlot = -1;       // cell access to a slot that holds no view
inline constexpr int kStoreBadDefinition = -1;   // a table the file's structure cannot carry
inline constexpr int kStoreClosed = -2;          // the store has no file
inline constexpr int kStoreCommitFailed = -3;    // the file was not written; data kept in memory
inline constexpr int kStoreBadAddress = -4;      // row, column or slot outside what exists
inline constexpr int kStoreFileHeld = -5;        // another program holds the file
inline constexpr int kStoreFileUnreadable = -6;  // Open: damaged or foreign file (see LastError)
inline constexpr int kStoreFileMoved = -7;       // the held file left its path; nothing written
inline constexpr int kStoreUnsupported = 1;      // a column type the store does not convert;
                                                 // SaveAs of a file held open
inline constexpr int kStoreSlotAlreadyFree = 1;  // ReleaseView of a slot that holds no view
inline constexpr int kStoreSlotRange = 2;        // slot number outside 0 to 24

// What the store holds. The file stays locked in every state but kClosed.
enum class StoreState {
  kClosed,           // no file; everything but Open answers kStoreClosed
  kFileOpen,         // the engine has the file open; views are attached or buffered
  kBufferedViews,    // the file is let go; the buffered views are kept in memory and
                     // each Commit writes them into the file
  kNothingBuffered,  // the file is let go and no view is kept; Commit writes nothing
};

class DataStore {
 public:
  static constexpr int kNumSlots = 25;
  static constexpr const char* kVersion = "01.00.2003.12.10";
  static constexpr const char* kDictionaryDescription =
      "DataDictionary[TableName:S,FieldType:S,Description:S,ColumnName:S,IsUsed:S,Length:I,"
      "Min:S,Max:S,Validate:S,Callbacks:S,DefaultValue:S,FieldEdit:S,CompoundSelection:S,"
      "Order1:I,Order2:I,Order3:I,Order4:I,Order5:I,Order6:I,Order7:I,Order8:I,Order9:I,"
      "Order10:I,Order11:I,Order12:I]";
  static constexpr const char* kMessageLogDescription =
      "MessageLog[MsgNum:S,Msg:S,Date:S,Time:S,Level:S,Note:S]";

  // reporter and env may be null (no reports; the real machine).
  explicit DataStore(StoreReporter* reporter = nullptr, Env* env = nullptr);
  virtual ~DataStore();  // Close(false)
  DataStore(const DataStore&) = delete;
  DataStore& operator=(const DataStore&) = delete;

  // --- slots, opening, committing, closing
  // 0; kStoreFileHeld; kStoreFileUnreadable when the engine cannot read the
  // file or it is no regular file (the store stays closed and LastError
  // says why). With `held`, a lock this program already holds on that file,
  // the store shares it instead of taking its own, so the file is never let
  // go between two stores (kStoreFileMoved when the path no longer names the
  // held file); reopening the file the store has open keeps its lock too.
  // The lock is released when its last holder lets it go.
  int Open(const std::string& path, bool buffered, std::shared_ptr<FileLock> held = nullptr);
  // The lock of the open file (null when closed), to share with a later Open.
  const std::shared_ptr<FileLock>& lock() const { return lock_; }
  // 0; kStoreClosed; kStoreCommitFailed or kStoreFileMoved when writing back
  // the buffered views failed (the failure has been reported; the store is
  // closed all the same).
  int Close(bool keep_buffered);
  // 0; kStoreClosed; kStoreCommitFailed when the file was not written: the
  // failure goes to the reporter, buffered views stay as they are and the
  // next Commit writes them again. kStoreFileMoved (reported too) when the
  // held file is no longer at its path: nothing is written, neither into
  // a file of that name that this store does not hold nor a new one.
  [[nodiscard]] int Commit();
  // Writes every buffered view into a new file at `path` (it must not
  // exist), which this store then holds and saves to; the file left behind
  // is let go. 0; kStoreFileUnreadable when the new file cannot be made
  // (LastError says why; nothing changes); kStoreCommitFailed when it could not be written
  // (the new file is removed, nothing changes); kStoreUnsupported when the
  // file is held open unbuffered.
  [[nodiscard]] int SaveAs(const std::string& path);
  // The slot that now holds the file's view `name`. With the file open, a
  // slot already holding that name is released first and the view is taken
  // afresh: attached, or with `buffered` an in-memory copy that each Commit
  // writes back (loading it needs a second free slot for a moment). With the
  // file let go, the slot already holding it. kStoreNotFound (no such view
  // in the file, or none kept), kStoreNoFreeSlot, kStoreClosed, or the
  // failure of releasing the old slot.
  int OpenAView(const std::string& name, bool buffered);
  // OpenAView of the view that `description` ("Name[col:T,...]") names; a
  // view the file lacks is first made, with the file open, empty and with
  // those columns. It reaches the disk with the next Commit, so a store
  // closed without one leaves the file as it was.
  int OpenOrAddView(const std::string& description, bool buffered);
  // The highest slot named `name` (case kept), or kStoreNotFound (a closed
  // store reports it, as CheckForView does).
  int FindView(std::string_view name);
  // True and *slot the highest slot named `name` (case kept). A closed store
  // answers false with *slot kStoreClosed and reports an internal error.
  bool CheckForView(std::string_view name, int* slot);
  // 0, kStoreSlotAlreadyFree, kStoreSlotRange, kStoreClosed;
  // kStoreCommitFailed or kStoreFileMoved when the commit of a buffered slot
  // failed, in which case the slot stays open with its data.
  int ReleaseView(int slot);
  // Takes the lowest free slot under `name`, holding an empty view: the
  // slot; kStoreNoFreeSlot; kStoreClosed (reported as an internal error).
  int GetViewIndex(const std::string& name);
  // Lists the file's views in ViewList() (empty with the file let go): 0;
  // kStoreClosed (reported as an internal error).
  int BuildViewList();
  // Where `name` (case ignored) stands in ViewList(), or kStoreNotFound.
  int ViewExistsInFile(std::string_view name);
  // Tells the reporter of internal error `code` in `context` (0: success).
  void ReportError(const std::string& context, int code);
  // The slot's view (an empty view for a free or invalid slot).
  mk::View View(int slot) const;
  const std::string& Path() const { return path_; }
  const std::string& ViewList() const { return view_list_; }
  StoreState store_state() const { return state_; }
  // The state as the numbers callers know: -1 closed, 1 file open, 2
  // buffered views kept with the file let go, 3 file let go with nothing kept.
  int state() const;
  // The message for the last Open or SaveAs that failed with kStoreFileUnreadable.
  const std::string& LastError() const { return last_error_; }
  // The last Open failed because the file is a damaged datafile (not a
  // foreign one, nor one of another format version).
  bool LastOpenFoundDamage() const { return last_open_found_damage_; }
  // The `buffered` of this store's last Open (false before any): how views
  // that the store or its callers open on their own are opened. It matters
  // only while the file is open (kFileOpen); in the other states OpenAView
  // answers with the slot already open or not at all.
  bool buffered_mode() const { return buffered_mode_; }

  // --- cells, rows, selections
  // Cells are read and written converted to and from the column's type
  // (store/cell_value.h); a write to a selection lands in its base view.
  // 0; kStoreBadAddress for a slot, row or column outside what exists (also
  // a row or column a selection's base has lost, or a selection whose base
  // slot was released); kStoreEmptySlot; kStoreUnsupported for a column type
  // the store does not convert; kStoreClosed. A failed read leaves numbers 0
  // and, for a bad address or slot, the text empty. GetLong reads 32 bits.
  int GetString(int slot, int row, int col, std::string* out);
  int GetInt(int slot, int row, int col, int32_t* out);
  int GetLong(int slot, int row, int col, int32_t* out);
  int GetFloat(int slot, int row, int col, float* out);
  int SetString(int slot, int row, int col, std::string_view text);
  int SetInt(int slot, int row, int col, int32_t value);
  // Inserts an empty row after `after_row` (at the end when negative) and
  // answers its number; a selection's new row goes to the end of its base
  // view. kStoreBadAddress for a row past the end or a view without rows of
  // its own; kStoreEmptySlot; kStoreClosed.
  int AddRow(int slot, int after_row);
  // Takes a slot (named `result_name`, or "D" + `view_name`) showing the rows
  // of `view_name` (opened in buffered_mode() when no slot holds it) whose
  // cells equal the key clause "Col=value, ..." (values converted to the
  // column's type), sorted ascending on `sort_list`, with the columns of
  // `column_list` (all when empty). Answers the slot; kStoreNotFound for a
  // view or column name that does not exist (no slot is taken);
  // kStoreNoFreeSlot; kStoreBadAddress when the view is a selection whose
  // rows have gone since; kStoreClosed.
  int OpenSelection(const std::string& view_name, const std::string& column_list,
                    const std::string& key_clause, const std::string& sort_list,
                    const std::string& result_name);
  // Removes every row of the Buffer view (opened in buffered_mode() when no
  // slot holds it); a buffered copy reaches the file at the next Commit.
  // 0; what OpenAView answers; kStoreBadAddress when the slot of that name
  // holds a selection.
  int ClearBuffer();
  // Cuts `source` up to the first of `delimiters`; the token is trimmed of
  // blanks, tabs and line breaks, the rest of `source` is not.
  static void NextToken(std::string* source, std::string* token, std::string_view delimiters);

  // --- table definitions (file held open: kStoreClosed otherwise)
  // Builds or restructures the file's view `table` from its DataDictionary
  // rows and commits: the columns in use (IsUsed Y or M) in the order of
  // `order_column` (numbered ones first, then those numbered 0, negative
  // ones never), types S, I, L, F or D (anything else becomes S). A slot
  // holding the table is released first. 0; kStoreNotFound (no dictionary,
  // a column of it or `order_column` missing, no rows for the table);
  // kStoreBadDefinition for names the file's structure cannot carry
  // (nothing changes); the commit's failure.
  int DefineTable(const std::string& table, const std::string& order_column);
  // Removes the view `name` (the whole entry, case kept) from the file and
  // commits: 0; kStoreNotFound; the commit's failure.
  int DropView(const std::string& name);

  // --- message log
  // Appends a MessageLog row (message, the clock's date and time, level,
  // note) and commits everything: into the slot holding MessageLog, or with
  // the file open into the file's log (made when missing) through a slot
  // taken for the moment. 0; kStoreNotFound when no slot holds the log and
  // the file is let go; kStoreNoFreeSlot; the commit's failure.
  int LogMessage(const std::string& msg, const std::string& level, const std::string& note);
  // Removes every row of the MessageLog view, as ClearBuffer does the Buffer's.
  int ClearMessageLog();

  // The name the view in `slot` was opened under; "" for a free or invalid slot.
  std::string SlotName(int slot) const { return SlotInUse(slot) ? slots_[slot].name : ""; }

 private:
  struct Slot {
    std::string name;
    bool named = false;  // a slot without a name is free
    mk::View view;
    int base_slot = -1;  // for a selection, the slot it was derived from
    bool buffered = false;
    // Which of the views that held this slot in turn is here now; freeing
    // the slot moves it on, so a selection can tell its base was replaced.
    uint64_t occupant = 0;
    uint64_t base_occupant = 0;  // for a selection, its base's when taken
  };

  bool ValidSlot(int slot) const { return slot >= 0 && slot < kNumSlots; }
  bool SlotInUse(int slot) const { return ValidSlot(slot) && slots_[slot].named; }
  // For a selection: its base slot still holds the view it was taken from.
  bool BaseIntact(int slot) const {
    int base = slots_[slot].base_slot;
    return SlotInUse(base) && slots_[base].occupant == slots_[slot].base_occupant;
  }
  // 0 and the slot's view, or the failure code for cell access.
  int CellView(int slot, mk::View* view) const;
  // Where a write to (slot, row, col) lands: the cell itself, or for a
  // selection the same row and column of its base view.
  int WriteTarget(int slot, int* row, int* col, mk::View* view) const;
  // Empties the slot; its occupant count moves on.
  void FreeSlot(int slot);
  // The lowest free slot, or kStoreNoFreeSlot.
  int LowestFreeSlot() const;
  // Fills `slot` with an in-memory copy of the file's view `name`, through a
  // slot taken for the moment: `slot`, or kStoreNoFreeSlot.
  int LoadBufferedView(const std::string& name, int slot);
  // Replaces the rows of the storage's view with the slot's copy; a view
  // missing from the storage is made again only with `recreate_missing`.
  void SaveBufferedView(mk::Storage* storage, int slot, bool recreate_missing);

  // The steps of Close, in this order.
  // Writes every buffered view into the file with one commit (releasing a
  // buffered slot would commit them all anyway): 0 when there is none,
  // else what Commit answers.
  int SaveBufferedViews();
  // Frees every slot, or with `keep_buffered` every slot but the buffered
  // views (attached views and selections never outlive the open file).
  // True when a buffered view was kept.
  bool ReleaseSlots(bool keep_buffered);
  // Lets go of the engine's storage and of the view list. The lock stays:
  // no other program can take the file in between.
  void ReleaseStorage();
  // Lets go of the lock and of what the engine remembers of the file: the
  // store is closed.
  void ReleaseFile();
  // Commits the storage; a failure is reported and answered kStoreCommitFailed.
  int CommitStorage(mk::Storage* storage);
  // Tell the reporter that the file was not written (and why) or that it
  // left its path (deleted or moved, or `replaced` by another file);
  // answer kStoreCommitFailed and kStoreFileMoved.
  int ReportCommitFailure(const std::string& cause);
  int ReportFileMoved(bool replaced);

  StoreReporter* reporter_;
  Env* env_;
  StoreState state_ = StoreState::kClosed;
  bool buffered_mode_ = false;
  std::string path_;
  std::string view_list_;
  std::string last_error_;
  bool last_open_found_damage_ = false;
  std::unique_ptr<mk::Storage> storage_;
  std::array<Slot, kNumSlots> slots_;
  std::shared_ptr<FileLock> lock_;
};

}  // namespace woodtick
