// A file image holds exactly the file's bytes, whether it lives on the heap
// or in memory mapped for it, and a short read fails naming the file.
#include "mk/file_image.h"

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "mk/testing/memory_file_system.h"

namespace mk {
namespace {

std::string Pattern(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
  return bytes;
}

TEST(FileImageTest, HoldsTheFileBytesAtEverySize) {
  // Small, just below and above the size from which images are mapped, and
  // one that ends inside a large page.
  for (size_t n :
       {size_t{0}, size_t{27}, (size_t{1} << 20) - 1, size_t{1} << 20, (size_t{5} << 20) + 12345}) {
    MemoryFileSystem fs;
    std::string bytes = Pattern(n);
    fs.SetFile("f.tal", bytes);
    std::unique_ptr<RandomAccessFile> file;
    ASSERT_TRUE(fs.OpenFile("f.tal", false, &file).ok());
    std::shared_ptr<const FileImage> image;
    Status s = FileImage::Read(file.get(), "f.tal", n, &image);
    ASSERT_TRUE(s.ok()) << s.message();
    ASSERT_EQ(image->size(), n);
    EXPECT_EQ(std::string(image->data(), n), bytes) << n << " bytes";
  }
}

TEST(FileImageTest, ReadingPastTheEndFailsNamingTheFile) {
  for (size_t n : {size_t{100}, size_t{3} << 20}) {
    MemoryFileSystem fs;
    fs.SetFile("short.tal", Pattern(n - 1));
    std::unique_ptr<RandomAccessFile> file;
    ASSERT_TRUE(fs.OpenFile("short.tal", false, &file).ok());
    std::shared_ptr<const FileImage> image;
    Status s = FileImage::Read(file.get(), "short.tal", n, &image);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("short.tal"), std::string::npos) << s.message();
    EXPECT_EQ(image, nullptr);
  }
}

}  // namespace
}  // namespace mk
