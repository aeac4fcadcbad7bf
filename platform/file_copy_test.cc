#include "platform/file_copy.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/temp_dir.h"

namespace woodtick {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(CopyFileNoOverwriteTest, CopiesBytesAndNeverReplacesATarget) {
  TempDir dir;
  std::string source = dir.File("source.tal");
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  std::ofstream(source, std::ios::binary) << bytes;

  std::string target = dir.File("copy.tal");
  ASSERT_EQ(CopyFileNoOverwrite(source, target), 0);
  EXPECT_EQ(ReadAll(target), bytes);

  std::ofstream(target, std::ios::binary | std::ios::trunc) << "keep me";
  EXPECT_EQ(CopyFileNoOverwrite(source, target), EEXIST);
  EXPECT_EQ(ReadAll(target), "keep me");
}

TEST(CopyFileNoOverwriteTest, MissingSourceCreatesNothing) {
  TempDir dir;
  std::string target = dir.File("copy.tal");
  EXPECT_EQ(CopyFileNoOverwrite(dir.File("missing.tal"), target), ENOENT);
  std::ifstream probe(target);
  EXPECT_FALSE(probe.good());
  EXPECT_EQ(CopyFileNoOverwrite(dir.File("missing.tal"), dir.File("no/such/dir.tal")), ENOENT);
}

}  // namespace
}  // namespace woodtick
