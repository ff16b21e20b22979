#include "connection_string.h"

#include <cctype>

namespace tvcli {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::map<std::string, std::string> ParseConnectionString(
    std::string_view text) {
  std::map<std::string, std::string> pairs;
  size_t i = 0;
  while (i < text.size()) {
    const size_t equals = text.find('=', i);
    if (equals == std::string_view::npos) break;
    std::string key(Trim(text.substr(i, equals - i)));
    for (char& c : key)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    i = equals + 1;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string value;
    if (i < text.size() && text[i] == '{') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '}') {
          if (i + 1 < text.size() && text[i + 1] == '}') {
            value += '}';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      const size_t end = text.find(';', i);
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      const size_t end = text.find(';', i);
      const size_t stop = end == std::string_view::npos ? text.size() : end;
      value = std::string(Trim(text.substr(i, stop - i)));
      i = end == std::string_view::npos ? text.size() : end + 1;
    }
    if (!key.empty()) pairs[key] = value;
  }
  return pairs;
}

std::string ConnectionPair(std::string_view key, std::string_view value) {
  const bool braces =
      value.find_first_of(";{}") != std::string_view::npos ||
      (!value.empty() && (value.front() == ' ' || value.back() == ' '));
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

}  // namespace tvcli
