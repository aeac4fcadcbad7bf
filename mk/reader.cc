#include "mk/reader.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "mk/encoding.h"
#include "mk/file_image.h"

namespace mk {
namespace {

constexpr int64_t kMaxFileSize = int64_t{1} << 31;
constexpr int kMaxDepth = 100;
constexpr size_t kOwnFrom = size_t{1} << 20;
constexpr int64_t kOwnBelow = 16384;

// Reads a few bytes of the file at a time, so that the framing is checked
// before anything the size of the file is allocated.
class Probe {
 public:
  Probe(RandomAccessFile* file, const std::string& path, int64_t size)
      : file_(file), path_(path), size_(size) {}
  int64_t size() const { return size_; }
  Status Read(int64_t at, int64_t n, std::string* out) const {
    out->resize(static_cast<size_t>(n));
    if (n == 0) return Status::Ok();
    Status s = file_->Read(static_cast<uint64_t>(at), static_cast<size_t>(n), out->data());
    return s.Prefixed(path_ + ": ");
  }

 private:
  RandomAccessFile* file_;
  const std::string& path_;
  int64_t size_;
};

struct Mark {
  uint8_t tag;
  uint32_t count;
  uint32_t offset;
};

Status MarkAt(const Probe& probe, int64_t p, Mark* m) {
  std::string b;
  Status s = probe.Read(p, 8, &b);
  if (!s.ok()) return s;
  *m = Mark{static_cast<uint8_t>(b[0]), ReadBigEndian32(b.data()) & 0xFFFFFF,
            ReadBigEndian32(b.data() + 4)};
  return Status::Ok();
}

bool IsCommitTail(const Mark& m) { return m.tag == 0x80 && m.count > 0; }
bool IsSkipTail(const Mark& m) { return (m.tag == 0x80 && m.count == 0) || m.tag == 0x90; }

Status Damaged(const std::string& path, const std::string& what, int64_t at) {
  return Status::Corruption(path + ": damaged datafile: " + what + " (at byte " +
                            std::to_string(at) + ")");
}

#define MK_RETURN_IF_ERROR(expr)       \
  do {                                 \
    Status status_ = (expr);           \
    if (!status_.ok()) return status_; \
  } while (0)

// Finds base, byte order and root walk from the tails (the framing),
// reading only the marks, the first 4 KB and the root walk.
Status FindFrame(const Probe& probe, const std::string& path, FileState* st) {
  int64_t n = probe.size();
  if (n < 27)
    return Status::Corruption(path + ": damaged datafile: only " + std::to_string(n) +
                              " bytes, too short for a datafile");
  int64_t p = n - 8;
  Mark m;
  for (;;) {
    MK_RETURN_IF_ERROR(MarkAt(probe, p, &m));
    if (IsCommitTail(m)) break;
    if ((m.tag & 0xF0) == 0x90 && m.tag != 0x90) {
      return Status::NotSupported(path + ": datafile uses a newer Metakit format (tail tag " +
                                  std::to_string(m.tag) + ")");
    }
    if (IsSkipTail(m)) {
      // Metakit stops at a mark that skips nothing and sees no datafile at
      // all: a file it would read (and save) as empty is not ours to use.
      if (m.offset == 0) {
        return Damaged(path,
                       "a trailing mark skips no bytes, so other Metakit software reads "
                       "the file as empty",
                       p);
      }
      p = p - static_cast<int64_t>(m.offset) - 8;
      if (p < 8) return Damaged(path, "skip tail leads outside the file", n - 8);
      continue;
    }
    std::string head;
    MK_RETURN_IF_ERROR(probe.Read(0, std::min<int64_t>(n, 4096 + 8), &head));
    for (size_t h = 0; h + 8 <= head.size(); h += 8) {
      if (head.compare(h, 4, "JL\x1a\x80", 4) == 0) {
        return Status::NotSupported(path +
                                    ": datafile uses the pre-2.3 Metakit format; convert it with "
                                    "Metakit 2.4 first");
      }
    }
    if (p == n - 8)
      return Status::Corruption(path + ": not a Metakit datafile (no commit tail at the end)");
    return Damaged(path, "no commit tail where a skip tail leads", p);
  }
  Mark commit = m;
  int64_t skip_pos = p - 8;
  if (skip_pos < 8) return Damaged(path, "commit tail without a skip tail", p);
  Mark skip;
  MK_RETURN_IF_ERROR(MarkAt(probe, skip_pos, &skip));
  if (!IsSkipTail(skip)) return Damaged(path, "commit tail not preceded by a skip tail", skip_pos);
  if (skip.tag != 0x80 && skip.tag != 0x90) return Damaged(path, "unknown skip tail", skip_pos);
  int64_t base = skip_pos - static_cast<int64_t>(skip.offset);
  if (skip.offset < 8 || base < 0)
    return Damaged(path, "skip tail points outside the file", skip_pos);
  std::string header;
  MK_RETURN_IF_ERROR(probe.Read(base, 8, &header));
  const char* h = header.data();
  bool jl = h[0] == 'J' && h[1] == 'L', lj = h[0] == 'L' && h[1] == 'J';
  if ((!jl && !lj) || h[2] != 0x1a) return Damaged(path, "no header where the tails point", base);
  if (static_cast<uint8_t>(h[3]) == 0x80) {
    return Status::NotSupported(path +
                                ": datafile uses the pre-2.3 Metakit format; convert it with "
                                "Metakit 2.4 first");
  }
  if (h[3] != 0)
    return Status::NotSupported(path + ": datafile uses a newer Metakit format (header flags " +
                                std::to_string(static_cast<uint8_t>(h[3])) + ")");
  int64_t root_pos = commit.offset, root_len = commit.count;
  if (root_pos < 8 || root_pos + root_len > skip_pos - base) {
    return Damaged(path, "root walk outside the file", p);
  }
  st->exists = true;
  st->base = base;
  st->end = n;
  st->commit_tail = p;
  st->big_endian = lj;
  st->root = BlockRef{root_len, root_pos};
  return probe.Read(base + root_pos, root_len, &st->root_walk);
}

class Reader {
 public:
  Reader(std::shared_ptr<const FileImage> buffer, const std::string& path, const FileState& st)
      : buf_(std::move(buffer)), path_(path), st_(st) {
    limit_ = st.commit_tail - 8 - st.base;
    row_budget_ = 8 * static_cast<int64_t>(buf_->size()) + (int64_t{1} << 20);
  }

  Status ReadRoot(std::vector<Field>* fields, std::shared_ptr<ViewImpl>* root, ViewRef* ref) {
    Cursor c = Over(st_.root);
    int64_t reserved, desc_len, rows;
    if (!Varint(&c, &reserved) || reserved != 0) return Fail(c, "bad root walk");
    if (!Varint(&c, &desc_len) || desc_len < 0 || desc_len > c.end - c.p) {
      return Fail(c, "bad description length");
    }
    std::string_view desc(c.p, static_cast<size_t>(desc_len));
    c.p += desc_len;
    Status s = ParseFields(desc, fields);
    if (!s.ok()) return Fail(c, s.message());
    if (!Varint(&c, &rows) || rows != 1) return Fail(c, "root row count is not 1");
    *root = std::make_shared<ViewImpl>(*fields);
    s = ReadColumns(*fields, 1, &c, 0, root->get(), ref);
    if (!s.ok()) return s;
    if (c.p != c.end) return Fail(c, "root walk has trailing bytes");
    return Status::Ok();
  }

 private:
  struct Cursor {
    const char* p;
    const char* end;
  };

  int64_t At(const Cursor& c) const { return c.p - buf_->data(); }
  Status Fail(const Cursor& c, const std::string& what) const {
    return Damaged(path_, what, At(c));
  }

  Cursor Over(const BlockRef& ref) const {
    const char* start = buf_->data() + st_.base + ref.pos;
    return Cursor{start, start + ref.size};
  }
  std::string_view Bytes(const BlockRef& ref) const {
    return std::string_view(buf_->data() + st_.base + ref.pos, static_cast<size_t>(ref.size));
  }

  bool Varint(Cursor* c, int64_t* v) const { return ReadVarint(c->end, &c->p, v); }

  Status Ref(Cursor* c, BlockRef* ref) const {
    int64_t size, pos = 0;
    if (!Varint(c, &size) || size < 0) return Fail(*c, "bad block size");
    if (size > 0) {
      if (!Varint(c, &pos) || pos < 0) return Fail(*c, "bad block position");
      if (pos < 8 || pos + size > limit_) return Fail(*c, "block reference outside the data area");
    }
    *ref = BlockRef{size, pos};
    return Status::Ok();
  }

  Status ReadView(const std::vector<Field>& fields, Cursor* c, int depth, ViewImpl* table,
                  ViewRef* ref) {
    if (depth > kMaxDepth) return Fail(*c, "subviews nested too deeply");
    int64_t reserved, rows;
    if (!Varint(c, &reserved) || reserved != 0) return Fail(*c, "bad view record");
    if (!Varint(c, &rows) || rows < 0) return Fail(*c, "bad row count");
    return ReadColumns(fields, rows, c, depth, table, ref);
  }

  Status ReadColumns(const std::vector<Field>& fields, int64_t rows, Cursor* c, int depth,
                     ViewImpl* table, ViewRef* ref) {
    row_budget_ -= rows;
    if (row_budget_ < 0) return Fail(*c, "row count too large for the file");
    ref->fields = fields;
    ref->rows = static_cast<int>(rows);
    std::vector<std::shared_ptr<Column>> cols;
    if (rows == 0) {
      for (const Field& f : fields) cols.push_back(std::make_shared<Column>(f.type, 0));
      table->Assign(0, std::move(cols));
      return Status::Ok();
    }
    int n = static_cast<int>(rows);
    for (const Field& f : fields) {
      ref->cols.emplace_back();
      ColumnRef& cr = ref->cols.back();
      cr.type = f.type;
      auto enc = std::make_shared<Encoded>();
      enc->owner = buf_;
      enc->big_endian = st_.big_endian;
      Status s = Ref(c, &cr.data);
      if (!s.ok()) return s;
      enc->data = Bytes(cr.data);
      bool rewrite = false;
      switch (f.type) {
        case 'I':
        case 'F':
          if (WidthOfVector(cr.data.size, n) < 0)
            return Fail(*c, "integer column of impossible size");
          break;
        case 'L':
        case 'D':
          if (cr.data.size != 0 && cr.data.size != 8 * rows) {
            return Fail(*c, "64-bit column of wrong size");
          }
          // Size 0 reads as zeros here; Metakit would read memory it never
          // filled, so the next commit writes the zeros out.
          rewrite = cr.data.size == 0;
          break;
        case 'S':
        case 'B':
          s = ReadItems(f.type, n, c, &cr, enc.get(), &rewrite);
          if (!s.ok()) return s;
          break;
        case 'V': {
          const std::vector<Field>& sub_fields = f.recursive ? fields : f.subfields;
          auto col = std::make_shared<Column>('V', n);
          cr.rows.resize(n);
          cr.walks = std::string(enc->data);
          Cursor w = Over(cr.data);
          for (int r = 0; r < n; ++r) {
            auto sub = std::make_shared<ViewImpl>(sub_fields);
            if (cr.data.size == 0) {
              cr.rows[r].fields = sub_fields;
            } else {
              s = ReadView(sub_fields, &w, depth + 1, sub.get(), &cr.rows[r]);
              if (!s.ok()) return s;
            }
            col->Sub(r) = std::move(sub);
          }
          if (w.p != w.end) return Fail(w, "subview block has trailing bytes");
          cols.push_back(std::move(col));
          continue;
        }
      }
      // A small column of a large file keeps a copy of its bytes: the file
      // image can then go once the large columns have grown into buffers
      // of their own.
      int64_t bytes = cr.data.size + cr.sizes.size;
      bytes += cr.memo_items.bytes();
      if (buf_->size() >= kOwnFrom && bytes < kOwnBelow) OwnBytes(enc.get());
      cr.encoded = enc;
      cols.push_back(std::make_shared<Column>(f.type, n, std::move(enc)));
      if (rewrite) cols.back()->Reencode();
    }
    table->Assign(n, std::move(cols));
    return Status::Ok();
  }

  // The sizes and memo walk of an S or B column, checked against the data.
  // A text item with a NUL before its end reads as the text up to that NUL,
  // like in Metakit; `*rewrite` then asks the next commit to write the
  // column as it reads, because other Metakit software cannot copy such
  // items soundly.
  Status ReadItems(char type, int rows, Cursor* c, ColumnRef* cr, Encoded* enc, bool* rewrite) {
    auto inner_nul = [type](std::string_view item) {
      return type == 'S' && item.size() > 1 && std::memchr(item.data(), 0, item.size() - 1);
    };
    Status s;
    int width = 0;
    if (cr->data.size > 0) {
      s = Ref(c, &cr->sizes);
      if (!s.ok()) return s;
      enc->sizes = Bytes(cr->sizes);
      width = WidthOfVector(cr->sizes.size, rows);
      if (width < 0) return Fail(*c, "text sizes column of impossible size");
      int64_t offset = 0, limit = cr->data.size;
      const char* data = enc->data.data();
      const char* fault = nullptr;
      bool text = type == 'S';
      ForEachEntry(enc->sizes, width, rows, enc->big_endian, [&](int64_t, int64_t n) {
        if (n < 0 || n > limit - offset) {
          fault = "text sizes exceed the data";
          return false;
        }
        if (inner_nul(std::string_view(data + offset, static_cast<size_t>(n)))) *rewrite = true;
        offset += n;
        if (text && n > 0 && data[offset - 1] != '\0') {
          fault = "text without its terminating NUL";
          return false;
        }
        return true;
      });
      if (fault) return Fail(*c, fault);
      if (offset != cr->data.size) return Fail(*c, "text sizes do not add up to the data");
    }
    s = Ref(c, &cr->memo);
    if (!s.ok()) return s;
    Cursor m = Over(cr->memo);
    std::vector<BlockRef>& items = cr->memo_items.Mutable();
    int64_t row = -1;
    while (m.p < m.end) {
      int64_t gap;
      BlockRef item;
      if (!Varint(&m, &gap) || gap < 0) return Fail(m, "bad memo walk");
      row += gap + 1;
      if (row >= rows) return Fail(m, "memo row out of range");
      if (cr->data.size > 0 && VectorEntry(enc->sizes, width, row, enc->big_endian) != 0) {
        return Fail(m, "memo row also stored inline");
      }
      s = Ref(&m, &item);
      if (!s.ok()) return s;
      std::string_view bytes = Bytes(item);
      if (type == 'S' && !bytes.empty() && bytes.back() != '\0') {
        return Fail(m, "memo text without its terminating NUL");
      }
      if (inner_nul(bytes)) *rewrite = true;
      items.push_back(item);
      enc->memos.emplace_back(static_cast<int>(row), bytes);
    }
    return Status::Ok();
  }

  std::shared_ptr<const FileImage> buf_;
  const std::string& path_;
  const FileState& st_;
  int64_t limit_;
  int64_t row_budget_;
};

// The file's size, refused when no Metakit 2.4 datafile can be that large.
Status SizeOf(RandomAccessFile* file, const std::string& path, int64_t* size) {
  uint64_t n = 0;
  Status s = file->Size(&n);
  if (!s.ok()) return s.Prefixed(path + ": ");
  if (n >= static_cast<uint64_t>(kMaxFileSize)) {
    return Status::Corruption(path + ": file of 2 GiB or more cannot be a Metakit 2.4 datafile");
  }
  *size = static_cast<int64_t>(n);
  return Status::Ok();
}

}  // namespace

Status ReadTails(RandomAccessFile* file, const std::string& path, FileState* out) {
  int64_t size = 0;
  MK_RETURN_IF_ERROR(SizeOf(file, path, &size));
  *out = FileState();
  if (size == 0) return Status::Ok();
  return FindFrame(Probe(file, path, size), path, out);
}

// The framing is checked from a few small reads; only a file framed as a
// datafile is read whole (the walks and blocks may lie anywhere in it).
Status LoadDatafile(RandomAccessFile* file, const std::string& path, LoadedFile* out) {
  *out = LoadedFile();
  MK_RETURN_IF_ERROR(ReadTails(file, path, &out->state));
  if (!out->state.exists) return Status::Ok();
  std::shared_ptr<const FileImage> buffer;
  MK_RETURN_IF_ERROR(FileImage::Read(file, path, static_cast<size_t>(out->state.end), &buffer));
  std::vector<Field> fields;
  std::shared_ptr<ViewImpl> root;
  Reader reader(buffer, path, out->state);
  Status s = reader.ReadRoot(&fields, &root, &out->state.top);
  if (!s.ok()) return s;
  for (size_t i = 0; i < fields.size(); ++i) {
    const Field& f = fields[i];
    int col = static_cast<int>(i);
    if (f.type == 'V') {
      out->top.push_back(ViewEntry(f.name, root->Subview(0, col)));
      continue;
    }
    TopLevel value = ValueEntry(f);
    value.table->Assign(1, {root->column_ptr(col)});
    out->top.push_back(std::move(value));
  }
  return Status::Ok();
}

}  // namespace mk
