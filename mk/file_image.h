// A private copy of a whole datafile in memory, which the columns read from
// the file point into. Reading a large file into it costs about the copy
// itself: the memory is not zeroed first and comes in large pages where the
// system allows, instead of one fault per small page.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "mk/file_system.h"
#include "mk/status.h"

namespace mk {

class FileImage {
 public:
  ~FileImage();
  FileImage(const FileImage&) = delete;
  FileImage& operator=(const FileImage&) = delete;

  // The first `size` bytes of `file`; failures name `path`.
  static Status Read(RandomAccessFile* file, const std::string& path, size_t size,
                     std::shared_ptr<const FileImage>* out);

  const char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  FileImage() = default;
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;  // bytes mapped for the image, or 0 when it is on the heap
};

}  // namespace mk
