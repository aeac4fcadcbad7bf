// The real file system, counting the bytes read through it, so tests can
// show how much of a file an operation touches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "mk/file_system.h"

namespace mk {

class ReadCountingFileSystem : public FileSystem {
 public:
  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override {
    std::unique_ptr<RandomAccessFile> file;
    Status s = DefaultFileSystem()->OpenFile(path, create, &file);
    if (s.ok()) *out = std::make_unique<Counted>(std::move(file), &read_);
    return s;
  }
  uint64_t read() const { return read_; }
  void ResetCount() { read_ = 0; }

 private:
  class Counted : public RandomAccessFile {
   public:
    Counted(std::unique_ptr<RandomAccessFile> base, uint64_t* read)
        : base_(std::move(base)), read_(read) {}
    bool Identify(FileIdentity* out) override { return base_->Identify(out); }
    Status Size(uint64_t* size) override { return base_->Size(size); }
    Status Read(uint64_t offset, size_t n, char* dst) override {
      *read_ += n;
      return base_->Read(offset, n, dst);
    }
    Status Write(uint64_t offset, std::string_view data) override {
      return base_->Write(offset, data);
    }
    Status Truncate(uint64_t size) override { return base_->Truncate(size); }
    Status Sync() override { return base_->Sync(); }

   private:
    std::unique_ptr<RandomAccessFile> base_;
    uint64_t* read_;
  };
  uint64_t read_ = 0;
};

}  // namespace mk
