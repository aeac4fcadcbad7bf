// The wait cursor for the length of an operation: shown when the object is
// made, removed when it goes, on every way out of the operation.
#pragma once

namespace woodtick {

class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace woodtick
