// A small JSON reader for tests: a document into nested values, numbers
// kept as their text too. Throws std::runtime_error on text that is not
// JSON.
#ifndef TCE_TESTS_SUPPORT_JSON_VALUE_H_
#define TCE_TESTS_SUPPORT_JSON_VALUE_H_

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tce::testing {

struct Json {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  std::string text;  // a string's value, or a number's text
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  // The member `key` (a null value when there is none).
  const Json& operator[](std::string_view key) const;
  double number() const;
  bool is_null() const { return type == Type::kNull; }

  static Json Parse(std::string_view text);
};

}  // namespace tce::testing

#endif  // TCE_TESTS_SUPPORT_JSON_VALUE_H_
