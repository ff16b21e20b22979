#include "engine/type_statistics.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "support/printers.h"

namespace tce {
namespace {

// The published figures, typed in from the reference tables as
// "page/row" texts, so that the test does not share the code's arrays.
const char* const kCharRows[] = {
    "0/0 0/0 0/0 0/0 6/19 12/25 17/29 22/33 26/36 29/40 33/42 36/45 38/47 "
    "41/49 43/51",
    "0/0 0/0 12/25 22/33 29/40 36/45 41/50 46/50 49/53 53/56 56/57 58/59 61/62 "
    "63/64 64/67",
    "0/0 12/25 26/36 36/45 43/52 49/53 54/58 58/61 62/64 64/67 65/65 67/67 "
    "67/67 66/66 72/72",
    "0/0 22/33 36/45 46/50 53/56 58/61 63/65 64/64 67/67 70/70 70/70 72/72 "
    "74/74 72/72 77/77",
    "6/19 29/40 43/52 53/56 59/62 64/67 66/66 70/70 72/72 73/73 72/72 74/74 "
    "75/75 77/77 78/78",
    "12/25 36/45 49/53 58/61 64/67 67/67 71/71 72/72 75/75 77/77 74/74 76/76 "
    "78/78 79/79 81/81",
    "17/29 41/50 54/58 63/65 66/66 71/71 72/72 75/75 75/75 77/77 75/75 77/77 "
    "79/79 80/80 81/81",
    "22/33 46/50 58/61 64/64 70/70 72/72 75/75 75/75 78/78 78/78 77/77 79/79 "
    "80/80 81/81 83/83",
    "26/36 49/53 62/64 67/67 72/72 75/75 75/75 78/78 79/79 81/81 77/77 79/79 "
    "81/81 82/82 83/83",
    "29/40 53/56 64/67 70/70 73/73 77/77 77/77 78/78 81/81 81/81 81/81 80/80 "
    "82/82 83/83 84/84",
};
const char* const kVarcharRows[] = {
    "6/19 12/25 17/29 22/33 26/36 29/40 33/42 36/45 38/47 41/50 43/51 46/49 "
    "48/51 49/53 51/55",
    "29/40 36/45 41/50 46/50 49/53 53/56 56/59 58/61 61/63 63/65 62/62 63/63 "
    "65/65 66/66 68/68",
    "43/52 49/53 54/58 58/61 62/64 64/67 65/65 67/67 69/69 71/71 70/70 71/71 "
    "73/73 74/74 74/74",
    "53/56 58/61 63/65 64/64 67/67 70/70 72/72 72/72 74/74 75/75 73/73 74/74 "
    "75/75 74/74 77/77",
    "59/62 64/67 66/66 70/70 72/72 73/73 75/75 76/76 76/76 77/77 74/74 75/75 "
    "76/76 77/77 78/78",
    "64/67 67/67 71/71 72/72 75/75 77/77 76/76 78/78 78/78 79/79 74/74 76/76 "
    "78/78 79/79 78/78",
    "66/66 71/71 72/72 75/75 75/75 77/77 78/78 79/79 79/79 80/80 77/77 77/77 "
    "77/77 79/79 80/80",
    "70/70 72/72 75/75 75/75 78/78 78/78 80/80 80/80 81/81 81/81 79/79 79/79 "
    "82/82 82/82 83/83",
    "72/72 75/75 75/75 78/78 79/79 80/80 80/80 81/81 82/82 82/82 79/79 81/81 "
    "81/81 82/82 82/82",
    "73/73 77/77 77/77 78/78 80/80 80/80 81/81 83/83 83/83 83/83 80/80 80/80 "
    "80/80 81/81 84/84",
};
struct FixedRow {
  int t, s, n;
  const char* k1_to_k4;
};
const FixedRow kFixedRows[] = {
    {6, 2, 1, "0/0 0/0 0/0 0/0"},
    {6, 2, 2, "0/0 0/0 0/0 0/0"},
    {6, 2, 10, "47/47 28/28 19/19 16/16"},
    {7, 4, 1, "0/0 0/0 0/0 0/0"},
    {7, 4, 2, "22/33 22/26 22/27 22/27"},
    {7, 4, 10, "67/67 55/55 51/51 50/50"},
    {8, 8, 1, "22/33 22/33 22/33 22/32"},
    {8, 8, 2, "46/49 46/49 46/49 46/49"},
    {8, 8, 10, "78/78 73/73 72/72 68/68"},
    {4, 10, 1, "22/33 22/33 22/33 22/32"},
    {4, 10, 2, "46/49 46/49 46/49 46/49"},
    {4, 10, 10, "78/78 73/73 72/72 68/68"},
    {9, 4, 1, "0/0 0/0 0/0 0/0"},
    {9, 4, 2, "22/33 18/18 21/21 18/18"},
    {9, 4, 10, "62/62 50/50 47/47 43/43"},
    {13, 4, 1, "0/0 0/0 0/0 0/0"},
    {13, 4, 2, "22/33 22/22 22/27 17/17"},
    {13, 4, 10, "66/66 55/55 52/52 45/45"},
    {15, 10, 1, "29/40 29/39 29/36 29/34"},
    {15, 10, 2, "53/56 52/52 48/48 48/48"},
    {15, 10, 10, "80/80 77/77 75/75 66/66"},
};
const char* const kDecimalN1 =
    "0/0 0/0 0/0 0/0 6/19 12/24 17/19 22/33 26/36 29/39 33/42 36/45 38/47 "
    "41/49 43/51 46/50";
const char* const kDecimalN10[] = {
    "19/19 46/46 58/58 66/66 73/73 77/77 77/77 78/78 80/80 80/80 81/81 83/83 "
    "82/82 83/83 84/84 84/84",
    "0/0 31/31 45/45 56/56 61/61 67/67 69/69 65/65 74/74 61/61 75/75 75/75 "
    "79/79 83/83 84/84 84/84",
    "0/0 22/22 35/35 47/47 55/55 61/61 67/67 69/69 72/72 75/75 77/77 76/76 "
    "73/73 70/70 84/84 74/74",
    "0/0 17/17 32/32 44/44 53/53 60/60 65/65 69/69 70/70 72/72 75/75 72/72 "
    "72/72 70/70 84/84 79/79",
};

std::vector<std::pair<int, int>> Pairs(const char* text) {
  std::vector<std::pair<int, int>> pairs;
  std::istringstream in(text);
  std::string item;
  while (in >> item) {
    const size_t slash = item.find('/');
    pairs.push_back(
        {std::stoi(item.substr(0, slash)), std::stoi(item.substr(slash + 1))});
  }
  return pairs;
}

class TypeStatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildTypeStatistics(table_); }

  void ExpectEntry(int t, int n, int s, int k, std::pair<int, int> pct) {
    const TypeStatEntry& entry = table_.at(t, n, s, k);
    EXPECT_EQ(entry.PagePct, Fixed4::FromInt(pct.first))
        << "[" << t << "][" << n << "][" << s << "][" << k << "]";
    EXPECT_EQ(entry.RowPct, Fixed4::FromInt(pct.second))
        << "[" << t << "][" << n << "][" << s << "][" << k << "]";
  }
  int Page(int t, int n, int s, int k) {
    return static_cast<int>(table_.at(t, n, s, k).PagePct.RoundToWhole());
  }

  // Where the builders write: (t, s) and the k range, for n 1 to 10.
  static std::set<std::tuple<int, int, int, int>> FilledAddresses() {
    std::set<std::tuple<int, int, int, int>> filled;
    for (int n = 1; n <= 10; ++n) {
      for (int s = 1; s <= 15; ++s) {
        filled.insert({2, n, s, 1});
        filled.insert({3, n, s, 1});
      }
      for (auto [t, s] : {std::pair{9, 4},
                          {13, 4},
                          {15, 10},
                          {6, 2},
                          {7, 4},
                          {8, 8},
                          {4, 10}}) {
        for (int k = 1; k <= 4; ++k) filled.insert({t, n, s, k});
      }
      for (int s = 1; s <= 16; ++s) {
        for (int k = 1; k <= 4; ++k) filled.insert({12, n, s, k});
      }
    }
    return filled;
  }

  TypeStatisticsTable table_;
};

TEST_F(TypeStatisticsTest, HoldsEveryPublishedEntry) {
  for (int n = 1; n <= 10; ++n) {
    auto chars = Pairs(kCharRows[n - 1]);
    auto varchars = Pairs(kVarcharRows[n - 1]);
    for (int s = 1; s <= 15; ++s) {
      ExpectEntry(3, n, s, 1, chars[s - 1]);
      ExpectEntry(2, n, s, 1, varchars[s - 1]);
    }
  }
  for (const FixedRow& row : kFixedRows) {
    auto pcts = Pairs(row.k1_to_k4);
    for (int k = 1; k <= 4; ++k)
      ExpectEntry(row.t, row.n, row.s, k, pcts[k - 1]);
  }
  auto n1 = Pairs(kDecimalN1);
  for (int s = 1; s <= 16; ++s) {
    for (int k = 1; k <= 4; ++k) {
      ExpectEntry(12, 1, s, k, n1[s - 1]);
      ExpectEntry(12, 10, s, k, Pairs(kDecimalN10[k - 1])[s - 1]);
    }
  }
}

TEST_F(TypeStatisticsTest, EveryEntryOutsideTheBuildersIsZero) {
  const auto filled = FilledAddresses();
  EXPECT_EQ(filled.size(), 150u + 150u + 7 * 40u + 640u);
  int nonzero_outside = 0;
  for (int t = 0; t < 17; ++t)
    for (int n = 0; n < 17; ++n)
      for (int s = 0; s < 17; ++s)
        for (int k = 0; k < 5; ++k) {
          const TypeStatEntry& e = table_.at(t, n, s, k);
          if (!filled.count({t, n, s, k}) &&
              (e.PagePct != Fixed4() || e.RowPct != Fixed4())) {
            ++nonzero_outside;
          }
        }
  EXPECT_EQ(nonzero_outside, 0);
  // In particular FLOAT (10) has no statistics, so FLOAT saves nothing.
  EXPECT_EQ(table_.at(10, 1, 8, 1).PagePct, Fixed4());
}

TEST_F(TypeStatisticsTest, FilledEntriesAreWholePercentagesWithPageAtMostRow) {
  int equal = 0;
  for (auto [t, n, s, k] : FilledAddresses()) {
    const TypeStatEntry& e = table_.at(t, n, s, k);
    EXPECT_EQ(e.PagePct.raw() % Fixed4::kScale, 0);
    EXPECT_EQ(e.RowPct.raw() % Fixed4::kScale, 0);
    EXPECT_GE(e.PagePct, Fixed4());
    EXPECT_LE(e.RowPct, Fixed4::FromInt(84));
    EXPECT_LE(e.PagePct, e.RowPct) << t << " " << n << " " << s << " " << k;
    if (e.PagePct == e.RowPct) ++equal;
  }
  // Equal in most entries; they differ mainly for small n.
  EXPECT_GT(equal, static_cast<int>(FilledAddresses().size()) / 2);
  int differ_small_n = 0, differ_large_n = 0;
  for (auto [t, n, s, k] : FilledAddresses()) {
    const TypeStatEntry& e = table_.at(t, n, s, k);
    if (e.PagePct != e.RowPct) ++(n <= 3 ? differ_small_n : differ_large_n);
  }
  EXPECT_GT(differ_small_n, differ_large_n);
}

TEST_F(TypeStatisticsTest, SavingsRiseWithCountAndFallWithCardinality) {
  // "Nearly every step": allow a few published exceptions.
  int n_steps = 0, n_falls = 0, k_steps = 0, k_rises = 0;
  std::set<std::tuple<int, int, int>> lines;  // (t, s, k) with n 1 to 10
  for (auto [t, n, s, k] : FilledAddresses()) lines.insert({t, s, k});
  for (auto [t, s, k] : lines) {
    for (int n = 1; n < 10; ++n) {
      ++n_steps;
      if (Page(t, n + 1, s, k) < Page(t, n, s, k)) ++n_falls;
    }
    if (k < 4 && (t != 2 && t != 3)) {
      for (int n = 1; n <= 10; ++n) {
        ++k_steps;
        if (Page(t, n, s, k + 1) > Page(t, n, s, k)) ++k_rises;
      }
    }
  }
  EXPECT_LE(n_falls * 20, n_steps) << n_falls << " of " << n_steps;
  EXPECT_LE(k_rises * 10, k_steps) << k_rises << " of " << k_steps;
}

TEST_F(TypeStatisticsTest, CharDependsAlmostOnlyOnTotalWidth) {
  std::map<int, std::vector<int>> by_width;
  for (int n = 1; n <= 10; ++n) {
    for (int s = 1; s <= 15; ++s) {
      if (n * s <= 4) ExpectEntry(3, n, s, 1, {0, 0});
      by_width[n * s].push_back(Page(3, n, s, 1));
    }
  }
  ExpectEntry(3, 2, 4, 1, {22, 33});
  ExpectEntry(3, 1, 8, 1, {22, 33});
  // Among the widths that several (n, s) pairs reach, most hold one value
  // and none spreads far.
  int shared = 0, identical = 0;
  for (const auto& [width, pages] : by_width) {
    if (pages.size() < 2) continue;
    ++shared;
    const std::set<int> values(pages.begin(), pages.end());
    if (values.size() == 1) ++identical;
    EXPECT_LE(*values.rbegin() - *values.begin(), 5) << "width " << width;
  }
  EXPECT_GT(shared, 30);
  EXPECT_GE(identical * 10, shared * 7);
}

TEST_F(TypeStatisticsTest, Int8EqualsBigintAndDecimalAtOneColumnIgnoresK) {
  for (int n = 1; n <= 10; ++n) {
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(table_.at(4, n, 10, k).PagePct, table_.at(8, n, 8, k).PagePct);
      EXPECT_EQ(table_.at(4, n, 10, k).RowPct, table_.at(8, n, 8, k).RowPct);
    }
  }
  for (int s = 1; s <= 16; ++s) {
    for (int k = 2; k <= 4; ++k) {
      EXPECT_EQ(table_.at(12, 1, s, k).PagePct, table_.at(12, 1, s, 1).PagePct);
      EXPECT_EQ(table_.at(12, 1, s, k).RowPct, table_.at(12, 1, s, 1).RowPct);
    }
  }
  ExpectEntry(3, 1, 10, 1, {29, 40});
  ExpectEntry(2, 1, 1, 1, {6, 19});
}

TEST(StoreTypeStatisticTest, AddressesByTypeAndIgnoresOutOfRange) {
  TypeStatisticsTable table;
  StoreTypeStatistic(table, ColumnType::kSerial, 3, 4, 2, Fixed4::FromInt(5),
                     Fixed4::FromInt(6));
  EXPECT_EQ(table.at(7, 3, 4, 2).RowPct, Fixed4::FromInt(6));
  StoreTypeStatistic(table, ColumnType::kChar, 17, 4, 2, Fixed4::FromInt(1),
                     Fixed4::FromInt(1));
  StoreTypeStatistic(table, ColumnType::kChar, 1, -1, 2, Fixed4::FromInt(1),
                     Fixed4::FromInt(1));
  StoreTypeStatistic(table, ColumnType::kChar, 1, 1, 5, Fixed4::FromInt(1),
                     Fixed4::FromInt(1));
}

}  // namespace
}  // namespace tce
