#include "catalog_definition.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <map>
#include <sstream>

namespace tce::catalogs {
namespace {

constexpr int kNotNullFlag = 256;

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The catalog keeps lengths as 16-bit values; type arguments beyond this
// cannot describe a column.
constexpr long long kSmallestArgument = -32768;
constexpr long long kLargestArgument = 65535;

bool ToNumber(const std::string& text, long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' && errno != ERANGE;
}

// "name(a,b)" -> name, arguments.
void SplitArguments(const std::string& text, std::string* name,
                    std::vector<long long>* arguments, bool* ok) {
  const size_t paren = text.find('(');
  *name = text.substr(0, paren);
  if (paren == std::string::npos) return;
  if (text.back() != ')') {
    *ok = false;
    return;
  }
  std::stringstream inner(text.substr(paren + 1, text.size() - paren - 2));
  std::string item;
  while (std::getline(inner, item, ',')) {
    long long value = 0;
    if (!ToNumber(item, &value) || value < kSmallestArgument ||
        value > kLargestArgument) {
      *ok = false;
    }
    arguments->push_back(value);
  }
}

// Datetime and interval qualifiers: their code and default digits.
struct Qualifier {
  int code;
  int digits;
};
const std::map<std::string, Qualifier>& Qualifiers() {
  static const auto* qualifiers = new std::map<std::string, Qualifier>{
      {"year", {0, 4}},     {"month", {2, 2}},  {"day", {4, 2}},
      {"hour", {6, 2}},     {"minute", {8, 2}}, {"second", {10, 2}},
      {"fraction", {11, 3}}};
  return *qualifiers;
}

// "year to second", "day(5) to fraction(3)": the catalog length.
bool TimeLength(const std::string& from, const std::string& to,
                long long* length) {
  std::string from_name, to_name;
  std::vector<long long> from_args, to_args;
  bool ok = true;
  SplitArguments(from, &from_name, &from_args, &ok);
  SplitArguments(to, &to_name, &to_args, &ok);
  auto first = Qualifiers().find(from_name);
  auto last = Qualifiers().find(to_name);
  if (!ok || first == Qualifiers().end() || last == Qualifiers().end() ||
      first->second.code > last->second.code) {
    return false;
  }
  long long digits = from_args.empty() ? first->second.digits : from_args[0];
  for (const auto& [name, qualifier] : Qualifiers()) {
    if (qualifier.code > first->second.code &&
        qualifier.code <= last->second.code && name != "fraction") {
      digits += qualifier.digits;
    }
  }
  long long end_code = last->second.code;
  if (to_name == "fraction") {
    const long long fraction = to_args.empty() ? 3 : to_args[0];
    digits += fraction;
    end_code = 10 + fraction;
  }
  *length = digits * 256 + first->second.code * 16 + end_code;
  return true;
}

}  // namespace

namespace {

// The types written by name alone, with their type code and length.
struct SimpleType {
  const char* name;
  int code;
  int length;
};
constexpr SimpleType kSimpleTypes[] = {
    {"smallint", 1, 2}, {"integer", 2, 4},    {"int", 2, 4},
    {"float", 3, 8},    {"smallfloat", 4, 4}, {"real", 4, 4},
    {"serial", 6, 4},   {"date", 7, 4},       {"byte", 11, 56},
    {"text", 12, 56},   {"int8", 17, 10},     {"serial8", 18, 10},
    {"clob", 41, 72},   {"bigint", 52, 8},    {"bigserial", 53, 8}};

}  // namespace

namespace {

// A type written with its sizes (char(n), varchar(max,min), decimal(p,s),
// set(n), code(c,l), datetime a to b ...): its code and catalog length.
bool ParseSizedType(const std::string& name, const std::vector<long long>& args,
                    std::istringstream& words, int* type_code,
                    long long* catalog_length) {
  auto arg = [&](size_t i, long long fallback) {
    return i < args.size() ? args[i] : fallback;
  };
  if (name == "char" || name == "nchar") {
    *type_code = name == "char" ? 0 : 15;
    *catalog_length = arg(0, 1);
  } else if (name == "varchar" || name == "nvarchar") {
    *type_code = name == "varchar" ? 13 : 16;
    const long long max = arg(0, 1);
    const long long min = arg(1, 0);
    if (max < 0 || max > 255 || min < 0 || min > 255) return false;
    // The low byte holds the maximum, the high byte the reserved minimum; a
    // high byte of 128 or more makes the 16-bit value negative.
    *catalog_length =
        static_cast<int16_t>(static_cast<uint16_t>(min * 256 + max));
  } else if (name == "lvarchar") {
    *type_code = 40;
    *catalog_length = arg(0, 2048);
  } else if (name == "decimal" || name == "money") {
    *type_code = name == "decimal" ? 5 : 8;
    *catalog_length = arg(0, 16) * 256 + arg(1, name == "money" ? 2 : 255);
  } else if (name == "set" || name == "multiset" || name == "list" ||
             name == "row") {
    *type_code = name == "set"        ? 19
                 : name == "multiset" ? 20
                 : name == "list"     ? 21
                                      : 22;
    *catalog_length = arg(0, 0);
  } else if (name == "code") {
    if (args.size() != 2) return false;
    *type_code = static_cast<int>(arg(0, 0));
    *catalog_length = arg(1, 0);
  } else if (name == "datetime" || name == "interval") {
    std::string from, to_word, to;
    if (!(words >> from >> to_word >> to) || to_word != "to") return false;
    *type_code = name == "datetime" ? 10 : 14;
    return TimeLength(from, to, catalog_length);
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool ParseColumnType(const std::string& type_text, int* type_code,
                     int* catalog_length_out) {
  long long length = 0;
  std::istringstream words(Lower(type_text));
  std::string head;
  words >> head;
  std::string name;
  std::vector<long long> args;
  bool ok = true;
  SplitArguments(head, &name, &args, &ok);
  if (!ok) return false;
  const auto simple =
      std::find_if(std::begin(kSimpleTypes), std::end(kSimpleTypes),
                   [&](const SimpleType& type) { return name == type.name; });
  if (simple != std::end(kSimpleTypes) && args.empty()) {
    *type_code = simple->code;
    length = simple->length;
  } else if (!ParseSizedType(name, args, words, type_code, &length)) {
    return false;
  }
  std::string rest;
  if (words >> rest) return false;
  if (length < kSmallestArgument || length > kLargestArgument) return false;
  *catalog_length_out = static_cast<int>(length);
  return true;
}

namespace {

using Tokens = std::vector<std::string>;

// Each line parser returns why the line is wrong, or nothing.
std::string ParseServerLine(const Tokens& tokens, ServerDefinition* server) {
  long long value = 0;
  if (tokens.size() != 4 || Lower(tokens[2]) != "pagesize" ||
      !ToNumber(tokens[3], &value)) {
    return "expected: server <version> pagesize <bytes>";
  }
  if (value < 0 || value > INT32_MAX) return "page size out of range";
  server->version = tokens[1];
  server->page_size = static_cast<int>(value);
  return {};
}

std::string ParseTableLine(const Tokens& tokens, ServerDefinition* server) {
  if (server->databases.empty()) return "table before any database";
  TableDefinition table;
  table.page_size = server->page_size;
  const size_t dot = tokens.size() > 1 ? tokens[1].find('.') : std::string::npos;
  if (dot == std::string::npos) return "expected: table <owner>.<name> ...";
  table.owner = tokens[1].substr(0, dot);
  table.name = tokens[1].substr(dot + 1);
  for (size_t i = 2; i + 1 < tokens.size(); i += 2) {
    const std::string key = Lower(tokens[i]);
    if (key == "type") {
      table.type = tokens[i + 1];
      continue;
    }
    long long value = 0;
    if (!ToNumber(tokens[i + 1], &value))
      return "bad or out-of-range number " + tokens[i + 1];
    if (key == "pages") {
      table.pages = value;
    } else if (key == "rows") {
      table.rows = value;
    } else if (key == "pagesize") {
      if (value < INT32_MIN || value > INT32_MAX)
        return "page size out of range: " + tokens[i + 1];
      table.page_size = static_cast<int>(value);
    } else {
      return "unknown table setting " + tokens[i];
    }
  }
  if (tokens.size() % 2 != 0) return "table setting without a value";
  server->databases.back().tables.push_back(table);
  return {};
}

// "distinct <d>" or "sampled <s> <d> <f1>" from tokens[at] on, as the
// distribution text of a column of a table of `rows` rows.
std::string ParseDistribution(const Tokens& tokens, size_t at, long long rows,
                              std::string* distribution) {
  const std::string kind = Lower(tokens[at]);
  std::vector<long long> numbers;
  for (size_t j = at + 1; j < tokens.size(); ++j) {
    long long value = 0;
    if (!ToNumber(tokens[j], &value) || value < 0)
      return "bad or out-of-range number " + tokens[j];
    numbers.push_back(value);
  }
  long long s = 0, d = 0, f1 = 0;
  if (kind == "distinct" && numbers.size() == 1) {
    s = std::max(rows, 0LL);
    d = std::min(numbers[0], s);
    f1 = d / 10;
  } else if (kind == "sampled" && numbers.size() == 3) {
    s = numbers[0];
    d = numbers[1];
    f1 = numbers[2];
    if (d > s || f1 > d) return "a sample needs f1 <= d <= s";
  } else {
    return "expected: distinct <d> or sampled <s> <d> <f1>";
  }
  *distribution = "TVD1;s=" + std::to_string(s) + ";d=" + std::to_string(d) +
                  ";f1=" + std::to_string(f1);
  return {};
}

std::string ParseColumnLine(const Tokens& tokens, ServerDefinition* server) {
  if (server->databases.empty() || server->databases.back().tables.empty())
    return "column before any table";
  TableDefinition& table = server->databases.back().tables.back();
  ColumnDefinition column;
  column.name = tokens[0];
  size_t i = 1;
  std::string type;
  bool not_null = false;
  for (; i < tokens.size(); ++i) {
    const std::string word = Lower(tokens[i]);
    if (word == "distinct" || word == "sampled") break;
    if (word == "not" && i + 1 < tokens.size() &&
        Lower(tokens[i + 1]) == "null") {
      not_null = true;
      ++i;
      continue;
    }
    type += (type.empty() ? "" : " ") + tokens[i];
  }
  if (!ParseColumnType(type, &column.type_code, &column.catalog_length)) {
    return "unknown column type, or a number out of range, in '" + type + "'";
  }
  if (not_null) column.type_code += kNotNullFlag;
  if (i < tokens.size()) {
    std::string why =
        ParseDistribution(tokens, i, table.rows, &column.distribution);
    if (!why.empty()) return why;
  }
  table.columns.push_back(column);
  return {};
}

// Why `name` cannot be a database of the server, or nothing: a name is
// letters, digits and underscores, starting with a letter, at most 128
// bytes (it becomes a file name in the server's folder), not the server's
// own system database, and not one the server has already.
std::string CheckDatabaseName(const std::string& name,
                              const ServerDefinition& server) {
  const auto letter = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  bool valid = !name.empty() && name.size() <= 128 && letter(name[0]);
  for (char c : name) valid = valid && (letter(c) || digit(c) || c == '_');
  if (!valid) {
    return "database name '" + name +
           "' is not a name: letters, digits and underscores, starting with "
           "a letter, at most 128 bytes";
  }
  if (Lower(name) == "sysmaster")
    return "sysmaster is the server's own system database";
  for (const DatabaseDefinition& database : server.databases) {
    if (Lower(database.name) == Lower(name))
      return "database " + name + " is defined twice";
  }
  return {};
}

std::string ParseDatabaseLine(const Tokens& tokens, ServerDefinition* server) {
  if (tokens.size() != 2) return "expected: database <name>";
  std::string why = CheckDatabaseName(tokens[1], *server);
  if (why.empty()) server->databases.push_back({tokens[1], {}, {}});
  return why;
}

}  // namespace

bool ParseServerDefinition(const std::string& text, ServerDefinition* server,
                           std::string* error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (const size_t hash = line.find('#'); hash != std::string::npos)
      line.resize(hash);
    std::istringstream words(line);
    Tokens tokens;
    for (std::string word; words >> word;) tokens.push_back(word);
    if (tokens.empty()) continue;
    const std::string keyword = Lower(tokens[0]);
    std::string why;
    if (keyword == "server") {
      why = ParseServerLine(tokens, server);
    } else if (keyword == "database") {
      why = ParseDatabaseLine(tokens, server);
    } else if (keyword == "user") {
      if (tokens.size() != 3 || server->databases.empty())
        why = "expected: user <name> <password> after a database";
      else server->databases.back().users.push_back({tokens[1], tokens[2]});
    } else if (keyword == "table") {
      why = ParseTableLine(tokens, server);
    } else {
      why = ParseColumnLine(tokens, server);
    }
    if (!why.empty()) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

}  // namespace tce::catalogs
