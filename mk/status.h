// Success or failure of an engine operation: what kind of failure it is (a
// code a caller may act on) and a message for people. The engine reports
// every failure through this type; it never shows anything and never aborts
// on bad input.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace mk {

class [[nodiscard]] Status {
 public:
  enum class Code {
    kOk,
    kNotFound,          // the file (or another thing asked for by name) does not exist
    kCorruption,        // the file's bytes are not a sound datafile
    kNotSupported,      // a sound file or request this engine does not handle
                        // (another format version, not a regular file, past a format limit)
    kInvalidArgument,   // the caller's input is malformed (e.g. a structure description)
    kIOError,           // the file system refused or failed a read, write or flush
    kChangedElsewhere,  // another program changed the file since this storage read it
  };

  Status() = default;  // success
  static Status Ok() { return Status(); }
  static Status NotFound(std::string message) { return {Code::kNotFound, std::move(message)}; }
  static Status Corruption(std::string message) { return {Code::kCorruption, std::move(message)}; }
  static Status NotSupported(std::string message) {
    return {Code::kNotSupported, std::move(message)};
  }
  static Status InvalidArgument(std::string message) {
    return {Code::kInvalidArgument, std::move(message)};
  }
  static Status IOError(std::string message) { return {Code::kIOError, std::move(message)}; }
  static Status ChangedElsewhere(std::string message) {
    return {Code::kChangedElsewhere, std::move(message)};
  }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  bool IsCorruption() const { return code_ == Code::kCorruption; }
  bool IsNotSupported() const { return code_ == Code::kNotSupported; }
  bool IsInvalidArgument() const { return code_ == Code::kInvalidArgument; }
  bool IsIOError() const { return code_ == Code::kIOError; }
  bool IsChangedElsewhere() const { return code_ == Code::kChangedElsewhere; }
  const std::string& message() const { return message_; }

  // The same failure with `context` (e.g. the file's path and ": ") put in
  // front of its message; success stays success.
  Status Prefixed(std::string_view context) const {
    if (ok()) return *this;
    return {code_, std::string(context) + message_};
  }

 private:
  Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}
  Code code_ = Code::kOk;
  std::string message_;
};

}  // namespace mk
