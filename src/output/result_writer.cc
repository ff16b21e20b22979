#include "output/result_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/number_text.h"

namespace tce {

size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  uint8_t low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

namespace {

bool IsJsonNumber(std::string_view text) {
  size_t i = 0;
  auto digits = [&] {
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i > start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  if (!digits()) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == text.size();
}

// Appends a scalar's text as a delimited field or JSON value shows it.
void AppendScalar(std::string& out, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::kText:
    case Value::Kind::kNumberText:
      out.append(value.text());
      break;
    case Value::Kind::kInteger: {
      char digits[24];
      const auto end = std::to_chars(digits, digits + sizeof digits,
                                     static_cast<long long>(value.integer()));
      out.append(digits, end.ptr);
      break;
    }
    case Value::Kind::kNumber:
      out += FormatNumber(value.number());
      break;
    case Value::Kind::kDecimal:
      value.decimal().AppendText(out);
      break;
    case Value::Kind::kBool:
      if (value.integer() != 0) {
        out.append("true", 4);
      } else {
        out.append("false", 5);
      }
      break;
    default:
      break;
  }
}

void AppendJsonValue(std::string& out, const Value& value);

// `"name": `. Member names are the program's own plain ASCII words and
// need no escaping.
void AppendJsonName(std::string& out, std::string_view name) {
  out += '"';
  out.append(name);
  out.append("\": ", 3);
}

// `, "name": 12.5` for a number or literal, in one piece: large results
// write millions of them. Null when the field is not such a value.
char* WriteJsonScalarMember(char* out, const Field& field, bool first) {
  const Value& value = field.value;
  const Value::Kind kind = value.kind();
  if (!first) {
    *out++ = ',';
    *out++ = ' ';
  }
  *out++ = '"';
  out = std::copy(field.name.begin(), field.name.end(), out);
  *out++ = '"';
  *out++ = ':';
  *out++ = ' ';
  switch (kind) {
    case Value::Kind::kInteger:
      return std::to_chars(out, out + 24, value.integer()).ptr;
    case Value::Kind::kDecimal:
      return value.decimal().ToChars(out);
    default:
      return value.integer() != 0 ? std::copy_n("true", 4, out)
                                  : std::copy_n("false", 5, out);
  }
}

void AppendJsonFields(std::string& out, std::span<const Field> fields) {
  out += '{';
  bool first = true;
  for (const Field& field : fields) {
    if (field.in == FieldIn::kDelimited) continue;
    const Value::Kind kind = field.value.kind();
    constexpr size_t kLongestName = 64;
    if ((kind == Value::Kind::kInteger || kind == Value::Kind::kDecimal ||
         kind == Value::Kind::kBool) &&
        field.name.size() <= kLongestName) {
      char piece[kLongestName + 8 + Fixed4::kMaxTextLength];
      out.append(piece, WriteJsonScalarMember(piece, field, first));
      first = false;
      continue;
    }
    if (!first) out += ", ";
    first = false;
    AppendJsonName(out, field.name);
    AppendJsonValue(out, field.value);
  }
  out += '}';
}

void AppendJsonValue(std::string& out, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::kNull:
      out += "null";
      break;
    case Value::Kind::kText:
      AppendJsonString(out, value.text());
      break;
    case Value::Kind::kObject:
      AppendJsonFields(out, value.fields());
      break;
    case Value::Kind::kTexts:
      out += '[';
      for (size_t i = 0; i < value.texts().size(); ++i) {
        if (i > 0) out += ", ";
        AppendJsonString(out, value.texts()[i]);
      }
      out += ']';
      break;
    case Value::Kind::kInteger:
    case Value::Kind::kDecimal:
    case Value::Kind::kBool:
      AppendScalar(out, value);  // always a JSON number or literal
      break;
    default: {
      const size_t start = out.size();
      AppendScalar(out, value);
      if (!IsJsonNumber(std::string_view(out).substr(start))) {
        out.resize(start);
        out += "null";
      }
    }
  }
}

class JsonWriter : public ResultWriter {
 public:
  explicit JsonWriter(ByteSink& sink) : ResultWriter(sink) {}

  void BeginDocument() override {
    Put("{");
    members_ = 0;
  }
  void EndDocument() override { Put("\n}\n"); }
  bool KeepsDocuments() const override { return true; }
  void Member(std::string_view name, const Value& value) override {
    StartMember(name);
    line_.clear();
    AppendJsonValue(line_, value);
    Put(line_);
  }
  void BeginList(std::string_view name,
                 std::span<const std::string>) override {
    StartMember(name);
    Put("[");
    records_ = 0;
  }
  void Record(std::span<const Field> fields) override {
    line_.assign(records_ > 0 ? ",\n    " : "\n    ");
    AppendJsonFields(line_, fields);
    Put(line_);
    ++records_;
  }
  void EndList() override { Put(records_ > 0 ? "\n  ]" : "]"); }

 protected:
  std::string_view RecordSeparator() const override { return ","; }

 private:
  void StartMember(std::string_view name) {
    Put(members_ > 0 ? ",\n  " : "\n  ");
    Put(JsonString(name) + ": ");
    ++members_;
  }

  int members_ = 0;
  std::string line_;  // reused from record to record
};

class DelimitedWriter : public ResultWriter {
 public:
  DelimitedWriter(ByteSink& sink, char delimiter)
      : ResultWriter(sink), delimiter_(delimiter) {}

  void BeginDocument() override {}
  void EndDocument() override {}
  void Member(std::string_view, const Value&) override {}
  void Note(std::string_view text) override {
    Put(DelimitedField(text, delimiter_) + "\r\n");
  }
  void BeginList(std::string_view,
                 std::span<const std::string> header) override {
    std::string line;
    if (!lead_header_.empty()) {
      line = DelimitedField(lead_header_, delimiter_);
      if (!header.empty()) line += delimiter_;
    }
    for (size_t i = 0; i < header.size(); ++i) {
      if (i > 0) line += delimiter_;
      line += DelimitedField(header[i], delimiter_);
    }
    Put(line + "\r\n");
    records_ = 0;
  }
  void Record(std::span<const Field> fields) override {
    line_.clear();
    bool first = true;
    if (!lead_header_.empty()) {
      AppendDelimitedField(line_, lead_value_, delimiter_);
      first = false;
    }
    AppendFields(fields, first);
    line_ += "\r\n";
    Put(line_);
    ++records_;
  }
  void EndList() override {}

 protected:
  std::string_view RecordSeparator() const override { return ""; }

 private:
  void AppendFields(std::span<const Field> fields, bool& first) {
    for (const Field& field : fields) {
      const Value::Kind kind = field.value.kind();
      if (field.in == FieldIn::kFlat && kind == Value::Kind::kObject) {
        AppendFields(field.value.fields(), first);
        continue;
      }
      if (field.in == FieldIn::kJson || kind == Value::Kind::kObject ||
          kind == Value::Kind::kTexts) {
        continue;
      }
      if (!first) line_ += delimiter_;
      first = false;
      if (kind == Value::Kind::kText) {
        AppendDelimitedField(line_, field.value.text(), delimiter_);
      } else {
        AppendScalar(line_, field.value);  // numbers need no quotes
      }
    }
  }

  const char delimiter_;
  std::string line_;  // reused from record to record
};

}  // namespace

std::unique_ptr<ResultWriter> ResultWriter::Make(ExportFormat format,
                                                 ByteSink& sink) {
  switch (format) {
    case ExportFormat::kJson:
      return std::make_unique<JsonWriter>(sink);
    case ExportFormat::kComma:
      return std::make_unique<DelimitedWriter>(sink, ',');
    case ExportFormat::kTab:
    default:
      return std::make_unique<DelimitedWriter>(sink, '\t');
  }
}

void ResultWriter::AppendRecords(std::FILE* from, int64_t count) {
  if (count == 0) return;
  // The fragment's first record was written as a list's first.
  if (records_ > 0) Put(RecordSeparator());
  if (ok_ && !sink_.WriteFileContents(from)) ok_ = false;
  records_ += count;
}

bool ByteSink::WriteFileContents(std::FILE* from) {
  if (std::fflush(from) != 0 || std::fseek(from, 0, SEEK_SET) != 0)
    return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0) {
    if (!Write(std::string_view(buffer, n))) return false;
  }
  return !std::ferror(from);
}

std::string JsonString(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  size_t i = 0;
  while (i < text.size()) {
    // Plain printable ASCII goes across in runs.
    size_t plain = i;
    while (plain < text.size()) {
      const auto p = static_cast<unsigned char>(text[plain]);
      if (p < 0x20 || p >= 0x80 || p == '"' || p == '\\') break;
      ++plain;
    }
    if (plain > i) {
      out.append(text.data() + i, plain - i);
      i = plain;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      // UTF-8 passes whole; a byte that starts no valid sequence becomes
      // U+FFFD, so that the document stays valid.
      const size_t length = Utf8SequenceLength(text.substr(i));
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    ++i;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

std::string DelimitedField(std::string_view text, char delimiter) {
  std::string out;
  AppendDelimitedField(out, text, delimiter);
  return out;
}

void AppendDelimitedField(std::string& out, std::string_view text,
                          char delimiter) {
  const bool plain = std::none_of(text.begin(), text.end(), [&](char c) {
    return c == delimiter || c == '"' || c == '\r' || c == '\n';
  });
  if (plain) {
    out.append(text);
    return;
  }
  out += '"';
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
}

}  // namespace tce
