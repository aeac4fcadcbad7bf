// Where the model gets its files, locks and time.
#pragma once

namespace woodtick {

class Env;

// Tests replace the machine with an Env of their own.
struct TallyModelOptions {
  Env* env = nullptr;  // null: the real machine
};

}  // namespace woodtick
