#include "dialect.h"

#include <algorithm>
#include <cctype>
#include <vector>

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

// Whether `text` is one simple comparison: a column, = or LIKE, and a
// string literal.
bool IsSimpleComparison(std::string_view text) {
  size_t i = 0;
  auto blanks = [&] {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
      ++i;
  };
  blanks();
  const size_t name = i;
  while (i < text.size() && (IsIdentifierChar(text[i]) || text[i] == '.')) ++i;
  if (i == name) return false;
  blanks();
  if (i < text.size() && text[i] == '=') {
    ++i;
  } else if (i + 4 <= text.size() &&
             EqualsIgnoreCase(text.substr(i, 4), "LIKE")) {
    i += 4;
  } else {
    return false;
  }
  blanks();
  if (i >= text.size() || text[i] != '\'') return false;
  for (++i; i < text.size(); ++i) {
    if (text[i] != '\'') continue;
    if (i + 1 < text.size() && text[i + 1] == '\'') {
      ++i;
      continue;
    }
    ++i;
    blanks();
    return i == text.size();
  }
  return false;
}

// The terms of a group's content split at its ORs (outside literals), or
// nothing when the content holds anything but simple comparisons.
std::vector<std::string_view> OrTerms(std::string_view content) {
  std::vector<std::string_view> terms;
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '\'') quoted = !quoted;  // a doubled quote toggles twice
    if (quoted) continue;
    if (i + 2 <= content.size() && EqualsIgnoreCase(content.substr(i, 2), "OR") &&
        (i == 0 || !IsIdentifierChar(content[i - 1])) &&
        (i + 2 == content.size() || !IsIdentifierChar(content[i + 2]))) {
      terms.push_back(content.substr(start, i - start));
      start = i + 2;
      ++i;
    }
  }
  terms.push_back(content.substr(start));
  for (std::string_view term : terms) {
    if (!IsSimpleComparison(term)) return {};
  }
  return terms;
}

// The column and literal of an equality term ("c = 'x'"), or nothing for a
// LIKE.
bool SplitEquality(std::string_view term, std::string_view* column,
                   std::string_view* literal) {
  const size_t equals = term.find('=');
  const size_t quote = term.find('\'');
  if (equals == std::string_view::npos || equals > quote) return false;
  size_t first = 0;
  while (std::isspace(static_cast<unsigned char>(term[first]))) ++first;
  size_t last = equals;
  while (last > first && std::isspace(static_cast<unsigned char>(term[last - 1])))
    --last;
  *column = term.substr(first, last - first);
  size_t end = term.size();
  while (end > quote && std::isspace(static_cast<unsigned char>(term[end - 1])))
    --end;
  *literal = term.substr(quote, end - quote);
  return true;
}

// The terms ORed in nested groups of at most kFanOut, so that the depth of
// the expression grows with the logarithm of their number.
constexpr size_t kFanOut = 16;
std::string Balanced(const std::vector<std::string_view>& terms, size_t from,
                     size_t count) {
  std::string out;
  if (count <= kFanOut) {
    for (size_t i = 0; i < count; ++i) {
      if (i > 0) out += " OR ";
      out.append(terms[from + i]);
    }
    return out;
  }
  const size_t part = (count + kFanOut - 1) / kFanOut;
  for (size_t done = 0; done < count; done += part) {
    if (done > 0) out += " OR ";
    out += "(" + Balanced(terms, from + done, std::min(part, count - done)) +
           ")";
  }
  return out;
}

}  // namespace

std::string BalanceLongOrChains(std::string sql) {
  // A long list of names (thousands of "c = 'x' OR ...") would nest deeper
  // than SQLite's parser allows; only such lists are regrouped.
  constexpr size_t kLongChain = 64;
  struct Group {
    size_t open;
    bool has_child = false;
  };
  std::vector<Group> open;
  std::vector<std::pair<size_t, size_t>> leaves;  // content [first, last)
  bool quoted = false;
  for (size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (c == '\'') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') {
      if (!open.empty()) open.back().has_child = true;
      open.push_back({i});
    } else if (c == ')' && !open.empty()) {
      if (!open.back().has_child) leaves.push_back({open.back().open + 1, i});
      open.pop_back();
    }
  }
  for (auto leaf = leaves.rbegin(); leaf != leaves.rend(); ++leaf) {
    const std::string_view content =
        std::string_view(sql).substr(leaf->first, leaf->second - leaf->first);
    std::vector<std::string_view> terms = OrTerms(content);
    if (terms.size() < kLongChain) continue;
    // Equalities on one column become one IN list (a lookup, not a scan of
    // every name); what is left is regrouped. The column is written "+c",
    // which keeps its collation but no index: SQLite would otherwise probe
    // an index on (owner, tabname) for every pair of two long lists.
    std::vector<std::string_view> others;
    std::vector<std::pair<std::string_view, std::string>> lists;
    for (std::string_view term : terms) {
      std::string_view column, literal;
      if (!SplitEquality(term, &column, &literal)) {
        others.push_back(term);
        continue;
      }
      auto list = std::find_if(lists.begin(), lists.end(),
                               [&](const auto& l) { return l.first == column; });
      if (list == lists.end()) {
        lists.push_back({column, std::string(literal)});
      } else {
        list->second += ", ";
        list->second.append(literal);
      }
    }
    std::vector<std::string> in_lists;
    for (const auto& [column, literals] : lists)
      in_lists.push_back("+" + std::string(column) + " IN (" + literals + ")");
    for (const std::string& in_list : in_lists) others.push_back(in_list);
    sql.replace(leaf->first, leaf->second - leaf->first,
                Balanced(others, 0, others.size()));
  }
  return sql;
}

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

bool CombinesSelects(std::string_view sql) {
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    size_t stop = i + 1;
    if (c == '\'' || c == '"') {
      // A doubled quote inside ends one run and starts the next.
      const size_t end = sql.find(c, i + 1);
      stop = end == std::string_view::npos ? sql.size() : end + 1;
    } else if (sql.substr(i, 2) == "--") {
      stop = std::min(sql.find('\n', i), sql.size());
    } else if (sql.substr(i, 2) == "/*") {
      const size_t end = sql.find("*/", i + 2);
      stop = end == std::string_view::npos ? sql.size() : end + 2;
    } else if (IsIdentifierChar(c)) {
      while (stop < sql.size() && IsIdentifierChar(sql[stop])) ++stop;
      const std::string_view word = sql.substr(i, stop - i);
      if (EqualsIgnoreCase(word, "UNION") ||
          EqualsIgnoreCase(word, "INTERSECT") ||
          EqualsIgnoreCase(word, "EXCEPT")) {
        return true;
      }
    }
    i = stop;
  }
  return false;
}

}  // namespace tvcli
