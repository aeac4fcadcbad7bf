#include "mk/file_image.h"

#include <sys/mman.h>

namespace mk {
namespace {

// Images from this size on get memory of their own, in large pages.
constexpr size_t kMapFrom = size_t{1} << 20;
constexpr size_t kLargePage = size_t{2} << 20;

}  // namespace

FileImage::~FileImage() {
  if (mapped_) {
    munmap(data_, mapped_);
  } else {
    delete[] data_;
  }
}

Status FileImage::Read(RandomAccessFile* file, const std::string& path, size_t size,
                       std::shared_ptr<const FileImage>* out) {
  std::shared_ptr<FileImage> image(new FileImage);
  if (size >= kMapFrom) {
    size_t length = (size + kLargePage - 1) / kLargePage * kLargePage;
    void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
      // Only a hint: without large pages the image still works, just slower.
      madvise(p, length, MADV_HUGEPAGE);
      image->data_ = static_cast<char*>(p);
      image->mapped_ = length;
    }
  }
  if (!image->data_) image->data_ = new char[size > 0 ? size : 1];
  image->size_ = size;
  if (size > 0) {
    Status s = file->Read(0, size, image->data_);
    if (!s.ok()) return s.Prefixed(path + ": ");
  }
  *out = std::move(image);
  return Status::Ok();
}

}  // namespace mk
