// A streaming JSON reader: the caller walks the document value by value,
// and nothing of it is kept beyond the value at hand, so that a document of
// millions of tables is read in memory that follows what the caller keeps,
// not the document's length. The grammar is RFC 8259's, exactly: numbers
// as it spells them, escapes checked, no text after the value; and an
// object may not name a member twice. Nesting is limited.
#ifndef TCE_BASE_JSON_READER_H_
#define TCE_BASE_JSON_READER_H_

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tce {

// Why a document was refused: what, and where (line and column, from 1).
class JsonError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class JsonReader {
 public:
  enum class Kind { kObject, kArray, kString, kNumber, kBool, kNull };

  // Reads the text in memory.
  explicit JsonReader(std::string_view text);
  // Reads an open file from where it stands, in pieces; the file stays
  // the caller's.
  explicit JsonReader(std::FILE* file);

  // The kind of the next value. Throws JsonError on anything that cannot
  // start one.
  Kind Peek();

  // An object: BeginObject, then NextMember until it returns false. Each
  // member's value must then be read (or skipped).
  void BeginObject();
  bool NextMember(std::string* name);
  // An array: BeginArray, then NextItem until it returns false.
  void BeginArray();
  bool NextItem();

  std::string String();
  // A number's text, as the document spells it.
  std::string_view Number();
  bool Bool();
  void Null();
  // Reads past the next value, checking it as it goes.
  void Skip();
  // After the document's value: only blanks may follow.
  void End();

  // A failure at the reader's place.
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  // The next byte, or -1 at the end; Look leaves it in place.
  int Get() {
    const int c = Look();
    if (c >= 0) Take(c);
    return c;
  }
  int Look() {
    if (at_ < text_.size()) return static_cast<unsigned char>(text_[at_]);
    Refill();
    return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : -1;
  }
  void Take(int c) {
    ++at_;
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
  }
  void Refill();
  // Appends the plain bytes of a string from here (none of '"', '\\' or a
  // control character) in one piece.
  void TakePlain(std::string& out);
  void Blanks();
  void Expect(char c, const char* what);
  void Word(const char* word);
  unsigned Hex4();
  void AppendCode(unsigned code, std::string& out);
  void Enter();
  void Leave() { --depth_; }

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::string_view text_;
  size_t at_ = 0;
  int64_t line_ = 1, column_ = 1;
  int depth_ = 0;
  std::string number_;
  // The members named so far in each open object, for duplicates (kept
  // from object to object, so that their room is reused); and whether each
  // open object or array has had a first entry.
  std::vector<std::vector<std::string>> names_;
  std::vector<size_t> named_;
  std::vector<bool> started_;
};

}  // namespace tce

#endif  // TCE_BASE_JSON_READER_H_
