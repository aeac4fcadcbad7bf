// Where the model's stores get their time and files.
#pragma once

namespace mk {
class FileSystem;
}

namespace woodtick {

class Clock;

// Where the model's stores get their time and files; tests replace them.
struct TallyModelOptions {
  const Clock* clock = nullptr;  // null: the system clock
  mk::FileSystem* fs = nullptr;  // null: the real file system
};

}  // namespace woodtick
