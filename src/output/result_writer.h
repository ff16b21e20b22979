// The one way results reach a file: lists of records made of typed fields,
// written as delimited lines (tab or comma, a header line per list, CR LF
// line ends) or as one JSON document. The windows' export, the command-line
// tool and the plan all write through it.
#ifndef TCE_OUTPUT_RESULT_WRITER_H_
#define TCE_OUTPUT_RESULT_WRITER_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/export_format.h"
#include "engine/fixed4.h"

namespace tce {

// Where a writer's bytes go.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False when the bytes could not be written.
  virtual bool Write(std::string_view bytes) = 0;
  // Everything `from` holds from its start (flushed first); sinks with a
  // file of their own copy it in the kernel.
  virtual bool WriteFileContents(std::FILE* from);
};

// Bytes kept in memory.
class StringSink : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

// Bytes to an open stdio stream.
class StreamSink : public ByteSink {
 public:
  explicit StreamSink(std::FILE* file) : file_(file) {}
  bool Write(std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }

 private:
  std::FILE* file_;
};

struct Field;

// One typed value. Values refer to their text and fields; these must live
// until the value has been written.
class Value {
 public:
  enum class Kind : uint8_t {
    kNull, kText, kInteger, kNumber, kNumberText, kDecimal, kBool, kObject,
    kTexts
  };

  Value() : kind_(Kind::kNull) {}
  static Value Null() { return Value(Kind::kNull); }
  static Value Text(std::string_view text);
  static Value Integer(int64_t value);
  // A double as plain decimal text (JSON: null when it is not finite).
  static Value Number(double value);
  // A number already in text (JSON: null when the text is not a number).
  static Value NumberText(std::string_view text);
  static Value Decimal(Fixed4 value);
  static Value Bool(bool value);
  // Nested fields (JSON only; delimited lines leave it out).
  static Value Object(std::span<const Field> fields);
  // A list of texts (JSON only).
  static Value Texts(std::span<const std::string> texts);

  Kind kind() const { return kind_; }
  // Each reads its own kinds' payload and is empty for any other kind.
  std::string_view text() const {
    return kind_ == Kind::kText || kind_ == Kind::kNumberText
               ? std::string_view(u_.text.data, u_.text.size)
               : std::string_view();
  }
  int64_t integer() const {
    return kind_ == Kind::kInteger || kind_ == Kind::kBool ? u_.integer : 0;
  }
  double number() const { return kind_ == Kind::kNumber ? u_.number : 0; }
  Fixed4 decimal() const {
    return kind_ == Kind::kDecimal ? Fixed4::FromRaw(u_.decimal) : Fixed4();
  }
  std::span<const Field> fields() const;
  std::span<const std::string> texts() const {
    return kind_ == Kind::kTexts
               ? std::span<const std::string>(u_.texts.data, u_.texts.size)
               : std::span<const std::string>();
  }

 private:
  explicit Value(Kind kind) : kind_(kind) {}

  // One payload at a time: values are made and copied by the million when
  // large results are written.
  template <typename T>
  struct Range {
    const T* data;
    size_t size;
  };
  Kind kind_;
  union {
    Range<char> text;
    int64_t integer;
    double number;
    int64_t decimal;  // Fixed4's raw value
    Range<Field> fields;
    Range<std::string> texts;
  } u_{};
};

// Which formats show a field.
// kFlat: an object that JSON shows as one and delimited lines as its
// fields in line.
enum class FieldIn : uint8_t { kBoth, kJson, kDelimited, kFlat };

struct Field {
  std::string_view name;  // the JSON member name: a plain word, never escaped
  Value value;
  FieldIn in = FieldIn::kBoth;
};

// Made by the million when large results are written: inline.
inline Value Value::Text(std::string_view text) {
  Value value(Kind::kText);
  value.u_.text = {text.data(), text.size()};
  return value;
}

inline Value Value::Integer(int64_t integer) {
  Value value(Kind::kInteger);
  value.u_.integer = integer;
  return value;
}

inline Value Value::Number(double number) {
  Value value(Kind::kNumber);
  value.u_.number = number;
  return value;
}

inline Value Value::NumberText(std::string_view text) {
  Value value(Kind::kNumberText);
  value.u_.text = {text.data(), text.size()};
  return value;
}

inline Value Value::Decimal(Fixed4 decimal) {
  Value value(Kind::kDecimal);
  value.u_.decimal = decimal.raw();
  return value;
}

inline Value Value::Bool(bool flag) {
  Value value(Kind::kBool);
  value.u_.integer = flag ? 1 : 0;
  return value;
}

inline Value Value::Object(std::span<const Field> fields) {
  Value value(Kind::kObject);
  value.u_.fields = {fields.data(), fields.size()};
  return value;
}

inline Value Value::Texts(std::span<const std::string> texts) {
  Value value(Kind::kTexts);
  value.u_.texts = {texts.data(), texts.size()};
  return value;
}

inline std::span<const Field> Value::fields() const {
  return kind_ == Kind::kObject
             ? std::span<const Field>(u_.fields.data, u_.fields.size)
             : std::span<const Field>();
}

class ResultWriter {
 public:
  // A writer of `format` into `sink`, which outlives it.
  static std::unique_ptr<ResultWriter> Make(ExportFormat format,
                                            ByteSink& sink);
  virtual ~ResultWriter() = default;

  // JSON: the document's braces. Delimited: nothing.
  virtual void BeginDocument() = 0;
  virtual void EndDocument() = 0;
  // A named value of the document (JSON only).
  virtual void Member(std::string_view name, const Value& value) = 0;
  // A list of records: JSON, a member holding an array; delimited, the
  // header line (each text one field).
  virtual void BeginList(std::string_view name,
                         std::span<const std::string> header) = 0;
  virtual void Record(std::span<const Field> fields) = 0;
  virtual void EndList() = 0;
  // A line for people before a delimited document's lists (one field);
  // JSON says the same in its members and leaves it out.
  virtual void Note(std::string_view) {}

  // Starts a list without its head: records written after it can be put
  // into another writer's list with AppendRecords.
  void BeginFragment() { records_ = 0; }
  // Puts `count` records that a writer of the same format wrote after
  // BeginFragment (their bytes read from `from`) into the open list.
  void AppendRecords(std::FILE* from, int64_t count);

  // A first field that every record and list header gains in delimited
  // lines (JSON leaves it out): the database, when one output holds
  // several. Empty `header` takes it away.
  void SetLead(std::string header, std::string value) {
    lead_header_ = std::move(header);
    lead_value_ = std::move(value);
  }

  int64_t records() const { return records_; }
  // Whether the format keeps a document's members and nested lists (JSON);
  // delimited lines keep lists of records only.
  virtual bool KeepsDocuments() const { return false; }
  // False once a write has failed.
  bool ok() const { return ok_; }

 protected:
  explicit ResultWriter(ByteSink& sink) : sink_(sink) {}
  void Put(std::string_view bytes) {
    if (ok_ && !sink_.Write(bytes)) ok_ = false;
  }
  // What goes between the list's last record and a further one.
  virtual std::string_view RecordSeparator() const = 0;

  int64_t records_ = 0;  // in the open list
  std::string lead_header_;
  std::string lead_value_;

 private:
  ByteSink& sink_;
  bool ok_ = true;
};

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
size_t Utf8SequenceLength(std::string_view text);

// A JSON string literal of UTF-8 text: what JSON requires is escaped, UTF-8
// passes whole, and a byte that is not UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view text);
void AppendJsonString(std::string& out, std::string_view text);
// A field as a delimited line carries it: as it is, or in double quotes with
// inner quotes doubled when it holds the delimiter, a quote, CR or LF.
std::string DelimitedField(std::string_view text, char delimiter);
void AppendDelimitedField(std::string& out, std::string_view text,
                          char delimiter);

}  // namespace tce

#endif  // TCE_OUTPUT_RESULT_WRITER_H_
