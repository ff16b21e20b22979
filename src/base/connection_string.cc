#include "base/connection_string.h"

#include "base/text_util.h"

namespace tce {
namespace {

constexpr char kMasked[] = "********";

}  // namespace

std::vector<ConnectionField> SplitConnectionString(std::string_view text) {
  std::vector<ConnectionField> fields;
  size_t i = 0;
  while (i < text.size()) {
    const size_t equals = text.find('=', i);
    const size_t semicolon = text.find(';', i);
    if (equals == std::string_view::npos) break;
    if (semicolon < equals) {  // a part without a key: skipped
      i = semicolon + 1;
      continue;
    }
    ConnectionField field;
    field.key = std::string(TrimBlanks(text.substr(i, equals - i)));
    i = equals + 1;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    field.value_begin = i;
    if (i < text.size() && text[i] == '{') {
      for (++i; i < text.size(); ++i) {
        if (text[i] != '}') {
          field.value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '}') {
          field.value += '}';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      // Whatever follows the closing brace up to the ";" belongs to the
      // pair too (and is masked with it).
      const size_t end = text.find(';', i);
      field.terminated = end != std::string_view::npos;
      field.value_end = field.terminated ? end : text.size();
      i = field.terminated ? end + 1 : text.size();
    } else {
      const size_t end = text.find(';', i);
      field.terminated = end != std::string_view::npos;
      const size_t stop = field.terminated ? end : text.size();
      field.value = std::string(TrimBlanks(text.substr(i, stop - i)));
      field.value_end = stop;
      i = field.terminated ? end + 1 : text.size();
    }
    fields.push_back(std::move(field));
  }
  return fields;
}

std::map<std::string, std::string> ParseConnectionString(
    std::string_view text) {
  std::map<std::string, std::string> pairs;
  for (ConnectionField& field : SplitConnectionString(text)) {
    if (!field.key.empty()) pairs[ToUpperAscii(field.key)] = std::move(field.value);
  }
  return pairs;
}

std::string ConnectionStringPair(std::string_view key, std::string_view value) {
  const bool braces =
      value.find_first_of(";{}") != std::string_view::npos ||
      (!value.empty() && (value.front() == ' ' || value.back() == ' ' ||
                          value.front() == '\t' || value.back() == '\t'));
  std::string pair(key);
  pair += '=';
  if (!braces) {
    pair += value;
  } else {
    pair += '{';
    for (char c : value) {
      pair += c;
      if (c == '}') pair += '}';
    }
    pair += '}';
  }
  pair += ';';
  return pair;
}

std::optional<std::string> ReadConnectionValue(std::string_view text,
                                               std::string_view key) {
  for (ConnectionField& field : SplitConnectionString(text)) {
    if (field.key != key) continue;
    if (!field.terminated) return std::nullopt;
    return std::move(field.value);
  }
  return std::nullopt;
}

std::string MaskPassword(std::string_view text) {
  std::string masked;
  size_t copied = 0;
  for (const ConnectionField& field : SplitConnectionString(text)) {
    const std::string key = ToUpperAscii(field.key);
    if (key != "PWD" && key != "PASSWORD") continue;
    masked.append(text.substr(copied, field.value_begin - copied));
    masked += kMasked;
    copied = field.value_end;
  }
  masked.append(text.substr(copied));
  return masked;
}

}  // namespace tce
