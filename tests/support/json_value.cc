#include "support/json_value.h"

#include <cstdlib>
#include <stdexcept>

namespace tce {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Json Document() {
    Json value = Value();
    Blanks();
    if (at_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw std::runtime_error(std::string("JSON: ") + what + " at " +
                             std::to_string(at_));
  }
  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' ||
                                  text_[at_] == '\r' || text_[at_] == '\t'))
      ++at_;
  }
  bool Eat(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Eat(c)) Fail("unexpected character");
  }
  std::string String() {
    Expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) Fail("cut escape");
      const char e = text_[at_++];
      if (e == 'u') {
        unsigned code = Hex4();
        if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
          at_ += 2;
          const unsigned low = Hex4();
          if (low < 0xDC00 || low >= 0xE000) Fail("bad surrogate pair");
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
        if (code >= 0x10000) {
          out += static_cast<char>(0xF0 | (code >> 18));
          out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
          out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x80) {
          out += static_cast<char>(code);
        } else if (code < 0x800) {
          out += static_cast<char>(0xC0 | (code >> 6));
          out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
          out += static_cast<char>(0xE0 | (code >> 12));
          out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (code & 0x3F));
        }
        continue;
      }
      const std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
      const size_t i = from.find(e);
      if (i == std::string_view::npos) Fail("bad escape");
      out += to[i];
    }
    Expect('"');
    return out;
  }
  unsigned Hex4() {
    if (at_ + 4 > text_.size()) Fail("cut escape");
    unsigned code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[at_++];
      code <<= 4;
      if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
      else Fail("bad escape");
    }
    return code;
  }
  Json Value() {
    // Deep nesting is not a document of ours, and must not exhaust the stack.
    if (++depth_ > kMaxDepth) Fail("nested too deeply");
    Json value = Element();
    --depth_;
    return value;
  }
  Json Element() {
    Blanks();
    if (at_ >= text_.size()) Fail("no value");
    Json value;
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      value.type = Json::Type::kObject;
      if (Eat('}')) return value;
      do {
        Blanks();
        std::string key = String();
        Expect(':');
        value.names.push_back(std::move(key));
        value.values.push_back(Value());
      } while (Eat(','));
      Expect('}');
    } else if (c == '[') {
      ++at_;
      value.type = Json::Type::kArray;
      if (Eat(']')) return value;
      do {
        value.items.push_back(Value());
      } while (Eat(','));
      Expect(']');
    } else if (c == '"') {
      value.type = Json::Type::kString;
      value.text = String();
    } else if (text_.substr(at_, 4) == "true" ||
               text_.substr(at_, 5) == "false") {
      value.type = Json::Type::kBool;
      value.boolean = c == 't';
      at_ += value.boolean ? 4 : 5;
    } else if (text_.substr(at_, 4) == "null") {
      at_ += 4;
    } else {
      const size_t start = at_;
      while (at_ < text_.size() &&
             std::string_view("+-.0123456789eE").find(text_[at_]) !=
                 std::string_view::npos)
        ++at_;
      if (at_ == start) Fail("not a value");
      value.type = Json::Type::kNumber;
      value.text = std::string(text_.substr(start, at_ - start));
    }
    return value;
  }

  static constexpr int kMaxDepth = 64;
  std::string_view text_;
  size_t at_ = 0;
  int depth_ = 0;
};

}  // namespace

const Json& Json::operator[](std::string_view key) const {
  static const Json kNull;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == key) return values[i];
  }
  return kNull;
}

double Json::number() const { return std::strtod(text.c_str(), nullptr); }

Json Json::Parse(std::string_view text) { return Reader(text).Document(); }

std::optional<Json> ReadJson(std::string_view text, std::string* error) {
  try {
    return Reader(text).Document();
  } catch (const std::runtime_error& failure) {
    if (error != nullptr) *error = failure.what();
    return std::nullopt;
  }
}

}  // namespace tce
