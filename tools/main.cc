// woodtick-cli: the command-line companion of Woodtick.
#include <iostream>

#include "tools/commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return woodtick::RunCli(args, std::cout, std::cerr);
}
