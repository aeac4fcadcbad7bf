#include "mk/field.h"

#include "mk/escape.h"

namespace mk {
namespace {

// Deep nesting only comes from hostile input; real structures are shallow.
constexpr int kMaxDepth = 100;

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDelimiter(char c) { return c == ',' || c == '[' || c == ']' || c == ':'; }

class FieldParser {
 public:
  explicit FieldParser(std::string_view text) : text_(text) {}

  Status ParseAll(std::vector<Field>* out) {
    out->clear();
    if (text_.empty()) return Status::Ok();
    // Metakit reads a description as a C string: a NUL would cut it short.
    if (size_t nul = text_.find('\0'); nul != std::string_view::npos) {
      pos_ = nul;
      return Fail("a name holds a NUL byte");
    }
    Status s = ParseList(0, out);
    if (!s.ok()) return s;
    if (pos_ != text_.size()) return Fail("unexpected ']'");
    return Status::Ok();
  }

 private:
  Status Fail(const std::string& what) const {
    return Status::InvalidArgument("bad structure description: " + what + " at offset " +
                                   std::to_string(pos_));
  }

  // Fields up to the end of the text or a closing bracket (not consumed).
  Status ParseList(int depth, std::vector<Field>* out) {
    if (depth > kMaxDepth) return Fail("subviews nested too deeply");
    for (;;) {
      Field field;
      Status s = ParseField(depth, &field);
      if (!s.ok()) return s;
      for (const Field& other : *out) {
        if (SameName(other.name, field.name))
          return Fail("duplicate field name " + Quoted(field.name));
      }
      out->push_back(std::move(field));
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      return Status::Ok();
    }
  }

  Status ParseField(int depth, Field* field) {
    size_t start = pos_;
    while (pos_ < text_.size() && !IsDelimiter(text_[pos_])) ++pos_;
    field->name = std::string(text_.substr(start, pos_ - start));
    if (field->name.empty()) return Fail("field without a name");
    if (pos_ >= text_.size() || text_[pos_] == ',' || text_[pos_] == ']') {
      field->type = 'S';
      return Status::Ok();
    }
    if (text_[pos_] == ':') {
      ++pos_;
      if (pos_ >= text_.size()) return Fail("missing type letter");
      char type = FoldCase(text_[pos_]);
      if (type == 'M') type = 'B';
      if (std::string_view("SILFDB").find(type) == std::string_view::npos) {
        return Fail("unknown type letter " + Quoted(text_.substr(pos_, 1)));
      }
      field->type = type;
      // Letters after the first one carry no meaning.
      while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != ']') {
        if (text_[pos_] == '[' || text_[pos_] == ':') return Fail("bad type");
        ++pos_;
      }
      return Status::Ok();
    }
    // '[': a subview.
    ++pos_;
    field->type = 'V';
    if (text_.substr(pos_, 2) == "^]") {
      field->recursive = true;
      pos_ += 2;
    } else if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;  // a view without fields
    } else {
      Status s = ParseList(depth + 1, &field->subfields);
      if (!s.ok()) return s;
      if (pos_ >= text_.size() || text_[pos_] != ']') return Fail("missing ']'");
      ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != ']') {
      return Fail("unexpected text after ']'");
    }
    return Status::Ok();
  }

  std::string_view text_;
  size_t pos_ = 0;
};

void Describe(const std::vector<Field>& fields, std::string* out) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out->push_back(',');
    const Field& f = fields[i];
    out->append(f.name);
    if (f.type != 'V') {
      out->push_back(':');
      out->push_back(f.type);
    } else if (f.recursive) {
      out->append("[^]");
    } else {
      out->push_back('[');
      Describe(f.subfields, out);
      out->push_back(']');
    }
  }
}

}  // namespace

Status ParseFields(std::string_view text, std::vector<Field>* out) {
  return FieldParser(text).ParseAll(out);
}

std::string DescribeFields(const std::vector<Field>& fields) {
  std::string out;
  Describe(fields, &out);
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace mk
