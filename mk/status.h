// Success or failure of an engine operation, with a message for people.
// The engine reports every failure through this type; it never shows
// anything and never aborts on bad input.
#pragma once

#include <string>
#include <utility>

namespace mk {

class Status {
 public:
  Status() = default;  // success
  static Status Ok() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  const std::string& message() const { return message_; }

 private:
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
  bool failed_ = false;
  std::string message_;
};

}  // namespace mk
