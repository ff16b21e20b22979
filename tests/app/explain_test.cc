// From --explain --json alone, every column's saving and every table's
// saving can be recomputed by hand: the test does exactly that, for the demo
// catalog and a generated one, both methods and both cardinality settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/fixed4.h"
#include "support/batch_process.h"
#include "support/json_value.h"
#include "support/test_server.h"

namespace tce {
namespace {

using ::tce::Json;
using ::tce::testing::ProgramDir;
using ::tce::testing::RunBatchProcess;
using ::tce::testing::TestServer;

// Evaluates a formula's expression: numbers, + - x /, parentheses, and
// floor(a), min(a, b), max(a, b).
class Evaluator {
 public:
  explicit Evaluator(const std::string& text) : text_(text) {}
  double Value() {
    const double value = Sum();
    Blanks();
    EXPECT_EQ(at_, text_.size()) << "left over in " << text_;
    return value;
  }

 private:
  void Blanks() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
  }
  bool Eat(const std::string& token) {
    Blanks();
    if (text_.compare(at_, token.size(), token) != 0) return false;
    at_ += token.size();
    return true;
  }
  double Sum() {
    double value = Product();
    while (true) {
      if (Eat("+")) value += Product();
      else if (Eat("- ")) value -= Product();
      else return value;
    }
  }
  double Product() {
    double value = Factor();
    while (true) {
      if (Eat("x ")) value *= Factor();
      else if (Eat("/")) value /= Factor();
      else return value;
    }
  }
  double Factor() {
    if (Eat("(")) {
      const double value = Sum();
      EXPECT_TRUE(Eat(")")) << text_;
      return value;
    }
    for (const char* name : {"floor(", "min(", "max("}) {
      if (!Eat(name)) continue;
      const double a = Sum();
      double b = a;
      if (Eat(",")) b = Sum();
      EXPECT_TRUE(Eat(")")) << text_;
      return name[1] == 'l' ? std::floor(a) : name[1] == 'i' ? std::min(a, b)
                                                             : std::max(a, b);
    }
    Blanks();
    size_t used = 0;
    const double value = std::stod(text_.substr(at_), &used);
    at_ += used;
    return value;
  }
  const std::string& text_;
  size_t at_ = 0;
};

// A formula "EXPRESSION = RESULT": the expression gives the result, and
// the result is `figure`, to the fourth decimal.
void CheckFormula(const Json& formula, double figure, const std::string& where) {
  ASSERT_TRUE(formula.is_string()) << where;
  const std::string& text = formula.text;
  const size_t equals = text.rfind(" = ");
  ASSERT_NE(equals, std::string::npos) << text;
  const double value = Evaluator(text.substr(0, equals)).Value();
  const double result = std::stod(text.substr(equals + 3));
  const double tolerance = 0.00015 * std::max(1.0, std::fabs(result) / 1e4);
  EXPECT_NEAR(value, result, tolerance) << where << ": " << text;
  EXPECT_NEAR(result, figure, 0.00005) << where << ": " << text;
}

// Every formula of a table's explanation against its figure.
void CheckFormulas(const Json& table, const std::string& method) {
  const Json& e = table["explain"];
  const std::string where = table["owner"].text + "." + table["table"].text;
  CheckFormula(e["row_length_formula"], e["row_length"].number(), where);
  CheckFormula(e["compressed_" + method + "_formula"],
               e["compressed_" + method].number(), where);
  CheckFormula(e["saved_" + method + "_formula"], e["saved_" + method].number(),
               where);
  CheckFormula(e["shown_size_formula"], table["size"].number(), where);
  CheckFormula(e["shown_compressed_formula"], table["compressed"].number(), where);
  if (e["variable_part"].is_null()) {
    EXPECT_TRUE(e["variable_formula"].is_null()) << where;
  } else {
    CheckFormula(e["variable_formula"], e["variable"].number(), where);
  }
}

// A value of the JSON as the four-decimal number it is.
Fixed4 F(const Json& value) { return Fixed4::FromDouble(value.number()); }

// Recomputes one table of the document from its own explanation and its
// columns' explanations; `method` is "row" or "page".
void Recompute(const Json& table, const std::vector<const Json*>& columns,
               const std::string& method) {
  const Json& e = table["explain"];
  const std::string where = table["owner"].text + "." + table["table"].text;
  Fixed4 fixed, incompressible, declared;
  double compressed = 0;
  for (const Json* column : columns) {
    const Json& x = (*column)["explain"];
    const Fixed4 bytes = Fixed4::FromInt(static_cast<int64_t>((*column)["bytes"].number()));
    const Fixed4 entry =
        x["entry_found"].boolean ? F(x["entry_" + method]) : Fixed4();
    const std::string storage = x["storage"].text;
    if (storage == "fixed compressible") {
      fixed += bytes;
      compressed += (Fixed4::FromInt(100) - entry).ToDouble() *
                    bytes.ToDouble() / 100.0;
      EXPECT_EQ(F((*column)["saved_pct"]), entry) << where;
    } else if (storage == "fixed incompressible") {
      incompressible += bytes;
      compressed += bytes.ToDouble();
      EXPECT_EQ(F((*column)["saved_pct"]), Fixed4()) << where;
    } else if (storage == "variable") {
      declared += bytes;
      EXPECT_EQ(F((*column)["saved_pct"]), entry) << where;
    }
  }
  EXPECT_EQ(F(e["fixed"]), fixed) << where;
  EXPECT_EQ(F(e["incompressible"]), incompressible) << where;
  EXPECT_EQ(F(e["declared_variable"]), declared) << where;
  Fixed4 variable = declared;
  if (e["variable_estimated"].boolean)
    variable = std::min(declared, F(e["variable_estimate"]));
  EXPECT_EQ(F(e["variable"]), variable) << where;
  const Fixed4 row_length = fixed + incompressible + variable;
  EXPECT_EQ(F(e["row_length"]), row_length) << where;
  if (!e["variable_part"].is_null()) {
    const Json& part = e["variable_part"];
    const Fixed4 saving =
        part["entry_found"].boolean ? F(part["entry_" + method]) : Fixed4();
    compressed += (Fixed4::FromInt(100) - saving).ToDouble() *
                  variable.ToDouble() / 100.0;
  }
  const Fixed4 length = Fixed4::FromDouble(compressed);
  EXPECT_EQ(F(e["compressed_" + method]), length) << where << " " << method;
  Fixed4 saved;
  if (row_length > Fixed4()) {
    saved = Fixed4::FromDouble((row_length - length).ToDouble() * 100.0 /
                               row_length.ToDouble());
  }
  saved = std::clamp(saved, Fixed4(), Fixed4::FromInt(100));
  EXPECT_EQ(F(e["saved_" + method]), saved) << where << " " << method;
  EXPECT_EQ(table["saved_pct"].number(), std::floor(saved.ToDouble()))
      << where << " " << method;
  CheckFormulas(table, method);
}

// The variable part's branches seen: from the last page half full, from
// full pages, nothing, the declared length.
struct Branches {
  int half = 0, full = 0, none = 0, declared = 0;
  void Note(const Json& formula) {
    if (!formula.is_string()) return;
    const std::string& text = formula.text;
    if (text.find(" - 0.5)") != std::string::npos) ++half;
    else if (text.find(", 0) =") != std::string::npos) ++none;
    else if (text.rfind("min(", 0) == 0) ++full;
    else ++declared;
  }
};

Branches RecomputeEveryTable(const std::string& database) {
  Branches branches;
  for (const bool row : {false, true}) {
    for (const bool per_column : {false, true}) {
      std::vector<std::string> args = {"--database", database, "--columns",
                                       "--explain", "--json"};
      if (row) args.push_back("--bytes");
      if (row) args.push_back("--row");
      if (per_column) args.push_back("--column-cardinality");
      const auto result = RunBatchProcess(args);
      EXPECT_EQ(result.status, 0) << result.err;
      const Json document = Json::Parse(result.out);
      std::map<std::string, std::vector<const Json*>> columns;
      for (const Json& column : document["columns"].items)
        columns[column["owner"].text + "\n" + column["table"].text].push_back(
            &column);
      EXPECT_FALSE(document["tables"].items.empty());
      for (const Json& table : document["tables"].items) {
        Recompute(table,
                  columns[table["owner"].text + "\n" + table["table"].text],
                  row ? "row" : "page");
        branches.Note(table["explain"]["variable_formula"]);
      }
    }
  }
  return branches;
}

TEST(ExplainTest, TheDemoCatalogRecomputesFromItsExplanation) {
  RecomputeEveryTable("demo");
}

// Delimited column lines carry the same fields in line, one per header.
TEST(ExplainTest, ColumnLinesCarryTheExplanationInLine) {
  const auto result = RunBatchProcess(
      {"--database", "demo", "--columns", "--explain", "--tables", "customer"});
  ASSERT_EQ(result.status, 0) << result.err;
  std::istringstream lines(result.out);
  std::string line;
  std::vector<std::vector<std::string>> rows;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');)
      fields.push_back(field);
    rows.push_back(fields);
  }
  ASSERT_GT(rows.size(), 3u);
  EXPECT_EQ(rows[2][7], "Storage");
  EXPECT_EQ(rows[2].back(), "Entry Page %");
  for (size_t i = 3; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), rows[2].size()) << i;
    if (rows[i][7] == "fixed compressible") {
      EXPECT_EQ(rows[i][5], rows[i].back()) << rows[i][2];  // page saving
    }
  }
}

// The help topic's walk-through carries the figures a run gives today.
TEST(ExplainTest, TheHelpTopicWalksThroughTheDemoWithTodaysFigures) {
  std::ifstream file(ProgramDir() + "/TarvexComp-TableDetails.hlp");
  std::stringstream topic;
  topic << file.rdbuf();
  ASSERT_NE(topic.str().find("\nHow an estimate is made\n"), std::string::npos);
  const auto result = RunBatchProcess(
      {"--database", "demo", "--explain", "--json", "--tables", "customer"});
  ASSERT_EQ(result.status, 0) << result.err;
  const Json document = Json::Parse(result.out);
  const Json& table = document["tables"].items.at(0);
  const Json& e = table["explain"];
  // The topic shows the formulas --explain gives, and they hold.
  for (const char* formula :
       {"row_length_formula", "variable_formula", "compressed_page_formula",
        "saved_page_formula", "shown_compressed_formula"}) {
    EXPECT_NE(topic.str().find(e[formula].text), std::string::npos) << formula;
  }
  CheckFormulas(table, "page");
}

TEST(ExplainTest, AGeneratedCatalogRecomputesFromItsExplanation) {
  TestServer server;
  std::mt19937 random(29);
  auto& db = server.Database("gen");
  const int codes[] = {0, 1, 2, 3, 5, 7, 8, 10, 11, 13, 14, 15, 17, 19, 40, 52};
  for (int t = 0; t < 200; ++t) {
    const long long rows = random() % 4 == 0 ? 0 : random() % 2000000;
    const int id = db.AddTable("o", "t" + std::to_string(t), random() % 20000,
                               rows, 2048 << (random() % 3));
    for (int c = 0; c < 1 + static_cast<int>(random() % 16); ++c) {
      const int code = codes[random() % 16];
      db.AddColumn(id, "c" + std::to_string(c), code,
                   code == 5 || code == 8 ? (random() % 32 + 1) * 256 + 2
                   : code == 10 || code == 14 ? 3594
                                              : 1 + random() % 300);
      if (random() % 3) {
        const long long sampled = rows / 3 + 1;
        db.AddDistribution(id, c + 1,
                           "TVD1;s=" + std::to_string(sampled) + ";d=" +
                               std::to_string(random() % 400) + ";f1=0");
      }
    }
  }
  // The last page half full leaves no room here, full pages do.
  const int full = db.AddTable("o", "full_page", 1, 300, 2048);
  db.AddColumn(full, "text", 13, 200);
  server.Finish();
  const Branches branches = RecomputeEveryTable(server.DatabasePath("gen"));
  // Every branch of the variable part's estimate was explained.
  EXPECT_GT(branches.half, 0);
  EXPECT_GT(branches.full, 0);
  EXPECT_GT(branches.none, 0);
  EXPECT_GT(branches.declared, 0);
}

}  // namespace
}  // namespace tce
