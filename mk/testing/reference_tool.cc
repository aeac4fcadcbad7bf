#include "mk/testing/reference_tool.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace mk {
namespace {

bool Executable(const std::string& path) {
  return !path.empty() && access(path.c_str(), X_OK) == 0;
}

std::string ShellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

std::string ReferenceToolPath() {
  if (const char* env = std::getenv("METAKIT_REFERENCE"); env && Executable(env)) return env;
  std::string beside = WOODTICK_REFERENCE_TOOL;
  return Executable(beside) ? beside : "";
}

bool ReferenceCheck(const std::string& path, ReferenceVerdict* verdict) {
  std::string tool = ReferenceToolPath();
  if (tool.empty()) return false;
  // A file that makes Metakit loop must not stall a test run for minutes.
  std::string command = "MKORACLE_TIMEOUT=${MKORACLE_TIMEOUT:-30} " + ShellQuoted(tool) +
                        " check " + ShellQuoted(path) + " 2>&1";
  *verdict = ReferenceVerdict();
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) verdict->output.append(buf, n);
  int status = pclose(pipe);
  verdict->exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  verdict->accepted = verdict->exit_code == 0;
  return true;
}

}  // namespace mk
