#include "dialect.h"

#include <cctype>

namespace tvcli {
namespace {

bool IsIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string TranslateStatement(std::string_view sql,
                               std::string_view current_database) {
  std::string out;
  out.reserve(sql.size() + 16);
  size_t i = 0;
  // Copies a quoted run (literal or identifier) ended by `quote`, with the
  // quote doubled inside it.
  auto copy_quoted = [&](char quote) {
    out += sql[i++];
    while (i < sql.size()) {
      const char c = sql[i++];
      out += c;
      if (c == quote) {
        if (i < sql.size() && sql[i] == quote) {
          out += sql[i++];
        } else {
          return;
        }
      }
    }
  };
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      copy_quoted(c);
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      const size_t end = sql.find('\n', i);
      const size_t stop = end == std::string_view::npos ? sql.size() : end;
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      const size_t end = sql.find("*/", i + 2);
      const size_t stop = end == std::string_view::npos ? sql.size() : end + 2;
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '/') {
      // Multiplying the left operand by 1.0 makes the division real without
      // changing its precedence: "*" and "/" bind alike, to the left.
      out += "*1.0/";
      ++i;
    } else if (c == ':' && i > 0 && IsIdentifierChar(sql[i - 1]) &&
               i + 1 < sql.size() && IsIdentifierChar(sql[i + 1])) {
      // The qualifier is the identifier just copied.
      size_t start = out.size();
      while (start > 0 && IsIdentifierChar(out[start - 1])) --start;
      if (EqualsIgnoreCase(std::string_view(out).substr(start),
                           current_database)) {
        out.replace(start, std::string::npos, "main");
      }
      out += '.';
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace tvcli
