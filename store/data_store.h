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

// Store result codes.
inline constexpr int kStoreOk = 0;
inline constexpr int kStoreNotFound = -1;        // not found, no free slot, no rows
inline constexpr int kStoreClosed = -2;          // the store has no file
inline constexpr int kStoreCommitFailed = -3;    // the file was not written; data kept in memory
inline constexpr int kStoreBadAddress = -4;      // row, column or slot outside what exists
inline constexpr int kStoreFileHeld = -5;        // another program holds the file
inline constexpr int kStoreFileUnreadable = -6;  // Open: damaged or foreign file (see LastError)
inline constexpr int kStoreFileMoved =
    -7;  // the held file is no longer at its path; nothing written
inline constexpr int kStoreUnsupported = 1;  // column type unsupported; or the slot is free
inline constexpr int kStoreSlotRange = 2;    // slot number outside 0 to 24

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
  int Commit();
  // Writes every buffered view into a new file at `path` (it must not
  // exist), which this store then holds and saves to; the file left behind
  // is let go. 0; kStoreFileUnreadable when the new file cannot be made
  // (LastError says why; nothing changes); kStoreCommitFailed when it could not be written
  // (the new file is removed, nothing changes); kStoreUnsupported when the
  // file is held open unbuffered.
  int SaveAs(const std::string& path);
  int OpenAView(const std::string& name, bool buffered);
  int FindView(std::string_view name);
  bool CheckForView(std::string_view name, int* slot);
  // 0, 1, 2, kStoreClosed; kStoreCommitFailed or kStoreFileMoved when the
  // commit of a buffered slot failed, in which case the slot stays open with
  // its data.
  int ReleaseView(int slot);
  int GetViewIndex(const std::string& name);
  int BuildViewList();
  int ViewExistsInFile(std::string_view name);
  void ReportError(const std::string& context, int code);
  // A copy of the text with its terminating zero; *length gets its length.
  static std::unique_ptr<char[]> CopyText(std::string_view text, int* length);
  // The slot's view (an empty view for a free or invalid slot).
  mk::View View(int slot) const;
  const std::string& Path() const { return path_; }
  const std::string& ViewList() const { return view_list_; }
  int state() const { return state_; }
  // The message for the last Open or SaveAs that failed with kStoreFileUnreadable.
  const std::string& LastError() const { return last_error_; }
  // The process-wide buffered-open mode: the last Open of any store decides.
  static bool BufferedOpenMode();

  // --- cells, rows, selections
  int GetString(int slot, int row, int col, std::string* out);
  int GetInt(int slot, int row, int col, int32_t* out);
  int GetLong(int slot, int row, int col, int32_t* out);
  int GetFloat(int slot, int row, int col, float* out);
  int SetString(int slot, int row, int col, std::string_view text);
  int SetInt(int slot, int row, int col, int32_t value);
  int AddRow(int slot, int after_row);
  int OpenSelection(const std::string& view_name, const std::string& column_list,
                    const std::string& key_clause, const std::string& sort_list,
                    const std::string& result_name);
  int ClearBuffer();
  // Cuts `source` up to the first of `delimiters`; the token is trimmed of
  // blanks, tabs and line breaks, the rest of `source` is not.
  static void NextToken(std::string* source, std::string* token, std::string_view delimiters);

  // --- table definitions (file held open)
  int DefineTable(const std::string& table, const std::string& order_column);
  int DropView(const std::string& name);

  // --- message log
  int LogMessage(const std::string& msg, const std::string& level, const std::string& note);
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
  void FreeSlot(int slot);
  int LowestFreeSlot() const;
  int LoadBufferedView(const std::string& name, int slot);
  void SaveBufferedView(mk::Storage* storage, int slot, bool recreate_missing);
  // Commits the storage; a failure is reported and answered kStoreCommitFailed.
  int CommitStorage(mk::Storage* storage);
  int ReportCommitFailure(const std::string& cause);
  int ReportFileMoved(bool replaced);

  StoreReporter* reporter_;
  Env* env_;
  int state_ = -1;
  std::string path_;
  std::string view_list_;
  std::string last_error_;
  std::unique_ptr<mk::Storage> storage_;
  std::array<Slot, kNumSlots> slots_;
  std::shared_ptr<FileLock> lock_;
};

}  // namespace woodtick
