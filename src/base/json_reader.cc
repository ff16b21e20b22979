#include "base/json_reader.h"

#include <algorithm>

namespace tce {
namespace {

constexpr int kMaxDepth = 64;
constexpr size_t kPiece = size_t{1} << 20;

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

JsonReader::JsonReader(std::string_view text) : text_(text) {}

JsonReader::JsonReader(std::FILE* file) : file_(file), buffer_(kPiece) {}

void JsonReader::Fail(const std::string& what) const {
  throw JsonError(what + " (line " + std::to_string(line_) + ", column " +
                  std::to_string(column_) + ")");
}

void JsonReader::Refill() {
  if (file_ == nullptr || at_ < text_.size()) return;
  const size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (got == 0 && std::ferror(file_)) Fail("the file could not be read");
  text_ = std::string_view(buffer_.data(), got);
  at_ = 0;
}

void JsonReader::TakePlain(std::string& out) {
  while (true) {
    if (at_ >= text_.size()) Refill();
    const size_t start = at_;
    while (at_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c == '"' || c == '\\' || c < 0x20) break;
      ++at_;
    }
    out.append(text_.data() + start, at_ - start);
    column_ += static_cast<int64_t>(at_ - start);
    if (at_ < text_.size() || at_ == start) return;
  }
}

void JsonReader::Blanks() {
  for (int c = Look(); c == ' ' || c == '\n' || c == '\r' || c == '\t';
       c = Look())
    Get();
}

void JsonReader::Expect(char c, const char* what) {
  Blanks();
  if (Get() != static_cast<unsigned char>(c)) Fail(std::string("expected ") + what);
}

void JsonReader::Word(const char* word) {
  for (const char* p = word; *p != '\0'; ++p) {
    if (Get() != static_cast<unsigned char>(*p)) Fail("not a JSON value");
  }
}

JsonReader::Kind JsonReader::Peek() {
  Blanks();
  const int c = Look();
  switch (c) {
    case '{':
      return Kind::kObject;
    case '[':
      return Kind::kArray;
    case '"':
      return Kind::kString;
    case 't':
    case 'f':
      return Kind::kBool;
    case 'n':
      return Kind::kNull;
    default:
      if (c == '-' || IsDigit(c)) return Kind::kNumber;
      Fail(c < 0 ? "the document ends where a value should be"
                 : "not a JSON value");
  }
}

void JsonReader::Enter() {
  // Deep nesting is not a document of ours, and must not exhaust memory.
  if (++depth_ > kMaxDepth) Fail("nested too deeply");
}

void JsonReader::BeginObject() {
  Expect('{', "an object");
  Enter();
  if (names_.size() < static_cast<size_t>(depth_)) names_.emplace_back();
  named_.push_back(0);
  started_.push_back(false);
}

bool JsonReader::NextMember(std::string* name) {
  Blanks();
  if (Look() == '}') {
    Get();
    named_.pop_back();
    started_.pop_back();
    Leave();
    return false;
  }
  if (started_.back()) Expect(',', "a comma or the end of the object");
  started_.back() = true;
  Blanks();
  if (Look() != '"') Fail("expected a member's name");
  *name = String();
  std::vector<std::string>& seen = names_[static_cast<size_t>(depth_) - 1];
  size_t& count = named_.back();
  if (std::find(seen.begin(), seen.begin() + static_cast<long>(count), *name) !=
      seen.begin() + static_cast<long>(count))
    Fail("the member \"" + *name + "\" is named twice");
  if (count == seen.size()) seen.emplace_back();
  seen[count++] = *name;
  Expect(':', "a colon after a member's name");
  return true;
}

void JsonReader::BeginArray() {
  Expect('[', "an array");
  Enter();
  if (names_.size() < static_cast<size_t>(depth_)) names_.emplace_back();
  named_.push_back(0);
  started_.push_back(false);
}

bool JsonReader::NextItem() {
  Blanks();
  if (Look() == ']') {
    Get();
    named_.pop_back();
    started_.pop_back();
    Leave();
    return false;
  }
  if (started_.back()) Expect(',', "a comma or the end of the array");
  started_.back() = true;
  return true;
}

unsigned JsonReader::Hex4() {
  unsigned code = 0;
  for (int i = 0; i < 4; ++i) {
    const int h = Get();
    code <<= 4;
    if (IsDigit(h)) {
      code |= static_cast<unsigned>(h - '0');
    } else if (h >= 'a' && h <= 'f') {
      code |= static_cast<unsigned>(h - 'a' + 10);
    } else if (h >= 'A' && h <= 'F') {
      code |= static_cast<unsigned>(h - 'A' + 10);
    } else {
      Fail("a \\u escape without four hexadecimal digits");
    }
  }
  return code;
}

void JsonReader::AppendCode(unsigned code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string JsonReader::String() {
  Expect('"', "a string");
  std::string out;
  TakePlain(out);
  for (int c = Get(); c != '"'; TakePlain(out), c = Get()) {
    if (c < 0) Fail("the document ends inside a string");
    if (c < 0x20) Fail("a control character inside a string");
    if (c != '\\') {
      out += static_cast<char>(c);
      continue;
    }
    const int e = Get();
    if (e != 'u') {
      const std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
      const size_t i = e < 0 ? std::string_view::npos
                             : from.find(static_cast<char>(e));
      if (i == std::string_view::npos) Fail("an escape JSON does not know");
      out += to[i];
      continue;
    }
    unsigned code = Hex4();
    if (code >= 0xD800 && code < 0xDC00 && Look() == '\\') {
      Get();
      if (Get() != 'u') Fail("an escape JSON does not know");
      const unsigned low = Hex4();
      if (low < 0xDC00 || low >= 0xE000) {
        AppendCode(0xFFFD, out);
        code = low >= 0xD800 && low < 0xE000 ? 0xFFFD : low;
      } else {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      }
    }
    // A lone surrogate is no character: it reads as U+FFFD.
    if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
    AppendCode(code, out);
  }
  return out;
}

std::string_view JsonReader::Number() {
  Blanks();
  number_.clear();
  auto take = [&] { number_ += static_cast<char>(Get()); };
  if (Look() == '-') take();
  if (Look() == '0') {
    take();
  } else if (IsDigit(Look())) {
    while (IsDigit(Look())) take();
  } else {
    Fail("a number without digits");
  }
  if (Look() == '.') {
    take();
    if (!IsDigit(Look())) Fail("a number with no digit after its point");
    while (IsDigit(Look())) take();
  }
  if (Look() == 'e' || Look() == 'E') {
    take();
    if (Look() == '+' || Look() == '-') take();
    if (!IsDigit(Look())) Fail("a number with no digit in its exponent");
    while (IsDigit(Look())) take();
  }
  // "01" and "1.2.3" stop early; what follows must end the number.
  const int next = Look();
  if (IsDigit(next) || next == '.' || next == '-' || next == '+' ||
      next == 'e' || next == 'E')
    Fail("a number JSON does not allow");
  return number_;
}

bool JsonReader::Bool() {
  Blanks();
  if (Look() == 't') {
    Word("true");
    return true;
  }
  Word("false");
  return false;
}

void JsonReader::Null() {
  Blanks();
  Word("null");
}

void JsonReader::Skip() {
  std::string name;
  switch (Peek()) {
    case Kind::kObject:
      BeginObject();
      while (NextMember(&name)) Skip();
      break;
    case Kind::kArray:
      BeginArray();
      while (NextItem()) Skip();
      break;
    case Kind::kString:
      String();
      break;
    case Kind::kNumber:
      Number();
      break;
    case Kind::kBool:
      Bool();
      break;
    case Kind::kNull:
      Null();
      break;
  }
}

void JsonReader::End() {
  Blanks();
  if (Look() >= 0) Fail("text after the document");
}

}  // namespace tce
