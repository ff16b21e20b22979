#include "support/json_value.h"

#include <cstdlib>
#include <stdexcept>

namespace tce::testing {
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
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) Fail("cut escape");
      const char e = text_[at_++];
      if (e == 'u') {
        const unsigned code = std::stoul(std::string(text_.substr(at_, 4)),
                                         nullptr, 16);
        at_ += 4;
        if (code < 0x80) {
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
  Json Value() {
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
        value.members.emplace_back(std::move(key), Value());
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

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

const Json& Json::operator[](std::string_view key) const {
  static const Json kNull;
  for (const auto& [name, value] : members) {
    if (name == key) return value;
  }
  return kNull;
}

double Json::number() const { return std::strtod(text.c_str(), nullptr); }

Json Json::Parse(std::string_view text) { return Reader(text).Document(); }

}  // namespace tce::testing
