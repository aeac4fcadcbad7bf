#include "mk/testing/memory_file_system.h"

#include <cstring>
#include <utility>

namespace mk {
namespace {

class MemoryFile : public RandomAccessFile {
 public:
  MemoryFile(std::string path, std::shared_ptr<std::string> data)
      : path_(std::move(path)), data_(std::move(data)) {}

  Status Size(uint64_t* size) override {
    *size = data_->size();
    return Status::Ok();
  }
  Status Read(uint64_t offset, size_t n, char* dst) override {
    if (offset > data_->size() || n > data_->size() - offset) {
      return Status::IOError(path_ + ": read past the end of the file");
    }
    if (n > 0) std::memcpy(dst, data_->data() + offset, n);
    return Status::Ok();
  }
  Status Write(uint64_t offset, std::string_view data) override {
    if (offset + data.size() > data_->size()) data_->resize(offset + data.size(), '\0');
    if (!data.empty()) std::memcpy(data_->data() + offset, data.data(), data.size());
    return Status::Ok();
  }
  Status Truncate(uint64_t size) override {
    data_->resize(size, '\0');
    return Status::Ok();
  }
  Status Sync() override { return Status::Ok(); }

 private:
  std::string path_;
  std::shared_ptr<std::string> data_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::SetFile(const std::string& path, std::string_view contents) {
  files_[path] = std::make_shared<std::string>(contents);
}

std::string MemoryFileSystem::GetFile(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? std::string() : *it->second;
}

bool MemoryFileSystem::HasFile(const std::string& path) const { return files_.count(path) > 0; }

Status MemoryFileSystem::OpenFile(const std::string& path, bool create,
                                  std::unique_ptr<RandomAccessFile>* out) {
  auto it = files_.find(path);
  if (it == files_.end()) {
    if (!create) return Status::NotFound(path + ": No such file or directory");
    it = files_.emplace(path, std::make_shared<std::string>()).first;
  }
  *out = std::make_unique<MemoryFile>(path, it->second);
  return Status::Ok();
}

}  // namespace mk
