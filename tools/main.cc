// woodtick-cli: the command-line companion of Woodtick.
#include <unistd.h>

#include <iostream>

#include "tools/commands.h"
#include "tools/progress.h"

int main(int argc, char** argv) {
  // Progress lines only for a person watching: when the output goes to a
  // file or another program, the run stays quiet.
  if (isatty(STDOUT_FILENO) && isatty(STDERR_FILENO)) woodtick::ShowProgressOn(&std::cerr);
  std::vector<std::string> args(argv + 1, argv + argc);
  return woodtick::RunCli(args, std::cout, std::cerr);
}
