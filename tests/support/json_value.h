// A small JSON reader for the tests: a document into nested values, numbers kept as
// their text. Reads the tool's own documents back (reports from earlier
// runs) and must refuse anything else without harm: nesting is limited and
// every escape is checked.
#ifndef TCE_TESTS_SUPPORT_JSON_VALUE_H_
#define TCE_TESTS_SUPPORT_JSON_VALUE_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tce {

struct Json {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  std::string text;  // a string's value, or a number's text
  std::vector<Json> items;
  // An object's members, names and values apart (a pair of a type being
  // defined is not one every compiler takes).
  std::vector<std::string> names;
  std::vector<Json> values;

  // The member `key` (a null value when there is none).
  const Json& operator[](std::string_view key) const;
  double number() const;
  bool is_null() const { return type == Type::kNull; }

  bool is_object() const { return type == Type::kObject; }
  bool is_array() const { return type == Type::kArray; }
  bool is_string() const { return type == Type::kString; }
  bool is_number() const { return type == Type::kNumber; }

  // The document in `text`; throws std::runtime_error when it is not JSON.
  static Json Parse(std::string_view text);
};

// Json::Parse without throwing: nullopt, with `error` saying where, when the
// text is not JSON.
std::optional<Json> ReadJson(std::string_view text, std::string* error);

}  // namespace tce

#endif  // TCE_TESTS_SUPPORT_JSON_VALUE_H_
