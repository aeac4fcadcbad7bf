#include "mk/testing/memory_file_system.h"

#include <cstring>
#include <utility>

namespace mk {

struct MemoryFileSystem::Node {
  std::string data;
  uint64_t id = 0;
  bool read_only = false;
};

namespace {

using Node = MemoryFileSystem::Node;

class MemoryFile : public RandomAccessFile {
 public:
  MemoryFile(std::string path, std::shared_ptr<Node> node)
      : path_(std::move(path)), node_(std::move(node)) {}

  Status Size(uint64_t* size) override {
    *size = node_->data.size();
    return Status::Ok();
  }
  Status Read(uint64_t offset, size_t n, char* dst) override {
    const std::string& data = node_->data;
    if (offset > data.size() || n > data.size() - offset) {
      return Status::IOError(path_ + ": read past the end of the file");
    }
    if (n > 0) std::memcpy(dst, data.data() + offset, n);
    return Status::Ok();
  }
  Status Write(uint64_t offset, std::string_view data) override {
    if (node_->read_only) return ReadOnly();
    std::string& file = node_->data;
    if (offset + data.size() > file.size()) file.resize(offset + data.size(), '\0');
    if (!data.empty()) std::memcpy(file.data() + offset, data.data(), data.size());
    return Status::Ok();
  }
  Status Truncate(uint64_t size) override {
    if (node_->read_only) return ReadOnly();
    node_->data.resize(size, '\0');
    return Status::Ok();
  }
  Status Sync() override { return Status::Ok(); }

 private:
  // Like the real file system's, the message leaves naming the file to the engine.
  static Status ReadOnly() { return Status::IOError("cannot write: Permission denied"); }

  std::string path_;
  std::shared_ptr<Node> node_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

std::shared_ptr<Node> MemoryFileSystem::Make(std::string_view contents) {
  auto node = std::make_shared<Node>();
  node->data = contents;
  node->id = next_id_++;
  return node;
}

Node* MemoryFileSystem::Find(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : it->second.get();
}

void MemoryFileSystem::SetFile(const std::string& path, std::string_view contents) {
  files_[path] = Make(contents);
}

std::string MemoryFileSystem::GetFile(const std::string& path) const {
  const Node* node = Find(path);
  return node == nullptr ? std::string() : node->data;
}

bool MemoryFileSystem::HasFile(const std::string& path) const { return Find(path) != nullptr; }

bool MemoryFileSystem::RemoveFile(const std::string& path) { return files_.erase(path) > 0; }

uint64_t MemoryFileSystem::FileId(const std::string& path) const {
  const Node* node = Find(path);
  return node == nullptr ? 0 : node->id;
}

void MemoryFileSystem::SetReadOnly(const std::string& path, bool read_only) {
  if (Node* node = Find(path)) node->read_only = read_only;
}

bool MemoryFileSystem::IsReadOnly(const std::string& path) const {
  const Node* node = Find(path);
  return node != nullptr && node->read_only;
}

std::vector<std::string> MemoryFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, node] : files_) paths.push_back(path);
  return paths;
}

Status MemoryFileSystem::OpenFile(const std::string& path, bool create,
                                  std::unique_ptr<RandomAccessFile>* out) {
  auto it = files_.find(path);
  if (it == files_.end()) {
    if (!create) return Status::NotFound(path + ": No such file or directory");
    it = files_.emplace(path, Make({})).first;
  }
  *out = std::make_unique<MemoryFile>(path, it->second);
  return Status::Ok();
}

}  // namespace mk
