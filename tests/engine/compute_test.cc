#include "engine/compute.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/memory_desktop_port.h"
#include "support/printers.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;

Fixed4 F(double value) { return Fixed4::FromDouble(value); }

std::string Entry(const std::string& category, const std::string& text) {
  return FormatLogEntry(category, text);
}

class ComputeTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildTypeStatistics(statistics_); }

  // Sets the table-level statistics every following column carries.
  void Table(double pages, double rows, int16_t page_size) {
    pages_ = F(pages);
    rows_ = F(rows);
    page_size_ = page_size;
    context_.TableColumns.Clear();
  }
  // Adds a column as the analysis run fills it from a catalog row.
  CatalogColumnRow& Column(const char* name, int32_t catalog_length,
                           double cardinality = 0) {
    return Column(ColumnTypeNamed(name).value(), catalog_length, cardinality);
  }
  CatalogColumnRow& Column(ColumnType type, int32_t catalog_length,
                           double cardinality) {
    CatalogColumnRow& row = context_.TableColumns.Append();
    row = CatalogColumnRow{};
    row.PagesUsed = pages_;
    row.RowCount = rows_;
    row.PageSize = page_size_;
    row.ColumnName = "c" + std::to_string(context_.TableColumns.ColumnCount());
    row.Type = type;
    row.ByteLength = ColumnByteLength(type, catalog_length);
    row.ColumnStorage = StorageClassOf(type);
    row.Cardinality = F(cardinality);
    return row;
  }
  Fixed4 Compute() {
    return Estimator(statistics_, EstimateOptions::Of(settings_), reporter_)
        .Compute(context_);
  }
  Fixed4 Pct(int column) {
    return context_.TableColumns[column].CompressionPct;
  }
  Fixed4 Lookup(int16_t t, int16_t n, int16_t s, int16_t k) {
    return Estimator(statistics_, EstimateOptions::Of(settings_), reporter_)
        .LookupColumnCompression(t, n, s, k);
  }
  std::string LogText() { return ReadFileBytes(log_.path()); }
  int CountEntries(const std::string& category) {
    const std::string text = LogText();
    const std::string prefix =
        category + std::string(19 - category.size(), ' ');
    int count = 0;
    for (size_t at = 0; (at = text.find(prefix, at)) != std::string::npos;
         at += prefix.size()) {
      if (at == 0 || text[at - 1] == '\n') ++count;
    }
    return count;
  }

  TempDir dir_;
  RunSettings settings_;
  DebugLog log_{dir_.File("t.dbg")};
  MemoryDesktopPort desktop_;
  Reporter reporter_{settings_, log_, desktop_};
  TypeStatisticsTable statistics_;
  EstimateContext context_;
  Fixed4 pages_, rows_;
  int16_t page_size_ = 2048;
};

TEST_F(ComputeTest, WorkedExampleGivesItsFigureAndLogLines) {
  settings_.DebugLog = true;
  Table(10, 1000, 2048);
  Column("INTEGER", 4, 5);
  Column("CHAR", 10);
  EXPECT_EQ(Compute(), F(20.7143));
  EXPECT_EQ(context_.RowLength, F(14));
  EXPECT_EQ(context_.CompressedLength, F(11.1));
  EXPECT_EQ(Pct(0), F(0));
  EXPECT_EQ(Pct(1), F(29));
  EXPECT_EQ(LogText(),
            Entry("LENGTH", "FIXED=14 VAR=NONE") +
                Entry("LENGTH", "TYPE=INTEGER LEN=4  %=0") +
                Entry("LENGTH", "TYPE=CHAR LEN=10  %=29") +
                Entry("Row Length", "Row Length=14 Compressed Length=11.1") +
                Entry("Compute", "Compression=20.7143"));
}

TEST_F(ComputeTest, VariablePartComesFromHowFullThePagesAre) {
  EXPECT_EQ(EstimateVariableLength(F(1000), F(10), 2048, F(0)), F(15.176));
  // A full last page when the half-full assumption leaves nothing.
  EXPECT_EQ(EstimateVariableLength(F(10), F(1), 100, F(0)), F(3.2));
  // Nothing left at all: 0.
  EXPECT_EQ(EstimateVariableLength(F(1000), F(1), 2048, F(50)), F(0));
  EXPECT_EQ(EstimateVariableLength(F(0), F(10), 2048, F(0)), F(0));
  EXPECT_EQ(EstimateVariableLength(F(-5), F(10), 2048, F(0)), F(0));
}

TEST_F(ComputeTest, VarcharTableUsesTheEstimatedVariablePart) {
  settings_.DebugLog = true;
  Table(10, 1000, 2048);
  Column("VARCHAR", 100);
  const Fixed4 result = Compute();
  EXPECT_EQ(context_.RowLength, F(15.176));
  EXPECT_EQ(Pct(0), F(51));  // VARCHAR [n=1][s=15]: 51/55
  // 49 % of 15.176 bytes remain.
  EXPECT_EQ(context_.CompressedLength, F(49 * 15.176 / 100));
  EXPECT_EQ(result, F((15.176 - 7.4362) * 100 / 15.176));
  EXPECT_NE(LogText().find(Entry("LENGTH", "FIXED=0 VAR=15.176")),
            std::string::npos);
}

TEST_F(ComputeTest, WithoutStatisticsTheDeclaredLengthCountsInFull) {
  Table(10, 0, 2048);
  Column("VARCHAR", 100);
  EXPECT_EQ(Compute(), F(51));
  EXPECT_EQ(context_.RowLength, F(100));
  Table(0, 1000, 2048);
  Column("VARCHAR", 100);
  Compute();
  EXPECT_EQ(context_.RowLength, F(100));
}

TEST_F(ComputeTest, VariablePartIsRoundedHalfToEvenForItsSizeClass) {
  // 10 rows on one page: free = S/2 - 28 - 40, so S = 186 leaves 2.5 bytes a
  // row and S = 206 leaves 3.5.
  Table(1, 10, 186);
  Column("VARCHAR", 10);
  EXPECT_EQ(context_.TableColumns[0].ByteLength, 10);
  EXPECT_EQ(Compute(), F(12));  // s = 2: VARCHAR [1][2] = 12/25
  EXPECT_EQ(context_.RowLength, F(2.5));
  Table(1, 10, 206);
  Column("VARCHAR", 10);
  EXPECT_EQ(Compute(), F(22));  // s = 4: VARCHAR [1][4] = 22/33
  EXPECT_EQ(context_.RowLength, F(3.5));
}

TEST_F(ComputeTest, IncompressibleColumnsCountInFull) {
  settings_.DebugLog = true;
  Table(10, 1000, 2048);
  Column("BYTE", 0);
  Column("TEXT", 0);
  Column("UNKNOWN", 0);
  Column("NULL", 6);
  EXPECT_EQ(Compute(), F(0));
  EXPECT_EQ(context_.RowLength, F(190));
  EXPECT_EQ(context_.CompressedLength, context_.RowLength);
  // Without variable columns the log names the compressible part alone.
  EXPECT_NE(LogText().find(Entry("LENGTH", "FIXED=0 VAR=NONE")),
            std::string::npos);
  EXPECT_EQ(CountEntries("COMP"), 0);
}

// DECIMAL(29) and DECIMAL(30) take 16 bytes, the one length whose size
// class (16) only the decimal types have; (31) and (32) take 17, also
// class 16.
TEST_F(ComputeTest, SixteenByteDecimalsUseSizeClassSixteen) {
  ASSERT_NE(statistics_.at(12, 2, 16, 1).PagePct,
            statistics_.at(12, 2, 15, 1).PagePct);
  for (int precision : {29, 30, 31, 32}) {
    Table(10, 1000, 2048);
    CatalogColumnRow& column = Column("DECIMAL", precision * 256 + 2, 5);
    EXPECT_EQ(column.ByteLength, precision <= 30 ? 16 : 17) << precision;
    Column("MONEY", precision * 256 + 2, 5);
    Compute();
    EXPECT_EQ(Pct(0), statistics_.at(12, 2, 16, 1).PagePct) << precision;
    EXPECT_EQ(Pct(1), statistics_.at(12, 2, 16, 1).PagePct) << precision;
  }
}

TEST_F(ComputeTest, FloatSavesNothingButSerialIsLookedUp) {
  Table(10, 1000, 2048);
  Column("FLOAT", 0, 1);
  EXPECT_EQ(Compute(), F(0));
  EXPECT_EQ(context_.RowLength, F(8));
  Table(10, 1000, 2048);
  Column("SERIAL", 4, 5);
  Column("SERIAL", 4, 5);
  Compute();
  EXPECT_EQ(Pct(0), F(22));  // INTEGER [n=2][s=4][k=1]: 22/33
}

TEST_F(ComputeTest, MaxCardinalityCountsSimilarColumnsUpToTen) {
  Table(10, 1000, 2048);
  for (int i = 0; i < 12; ++i) Column("INTEGER", 4, 5);
  EXPECT_EQ(Compute(), F(67));  // [10][4][1]
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Pct(i), F(67));
  settings_.UseMaxCardinality = false;
  EXPECT_EQ(Compute(), F(0));  // [1][4][1]
}

TEST_F(ComputeTest, MaxCardinalityTakesTheHighestClassOfTheTypeIndex) {
  settings_.EstimatePageCompression = false;  // row percentages differ by k
  Table(10, 1000, 2048);
  Column("BIGINT", 0, 5);
  Column("BIGSERIAL", 0, 500);
  Compute();
  EXPECT_EQ(Pct(0), F(49));  // [2][8][4] row
  EXPECT_EQ(Pct(1), F(49));
  settings_.UseMaxCardinality = false;
  Compute();
  EXPECT_EQ(Pct(0), F(33));  // [1][8][1] row
  EXPECT_EQ(Pct(1), F(32));  // [1][8][4] row
}

TEST_F(ComputeTest, PageAndRowPercentagesFollowTheSetting) {
  Table(10, 1000, 2048);
  Column("CHAR", 10);
  EXPECT_EQ(Compute(), F(29));
  settings_.EstimatePageCompression = false;
  EXPECT_EQ(Compute(), F(40));
}

TEST_F(ComputeTest, CollectionColumnsAreLookedUpAsVarchar) {
  settings_.UseMaxCardinality = false;
  Table(10, 0, 2048);
  Column("SET", 10, 50);
  Column("VARCHAR", 10);
  Compute();
  EXPECT_EQ(Pct(0), F(0));   // [2][1][10][2] holds nothing
  EXPECT_EQ(Pct(1), F(41));  // [2][1][10][1]
  // The variable part (20 bytes) is still looked up with k = 1:
  // s = 15, n = SimilarCount[2] = 1 -> 51 %.
  EXPECT_EQ(context_.CompressedLength, F(9.8));
}

TEST_F(ComputeTest, CollectionsWithoutVarcharAreRejectedInBothModes) {
  settings_.DebugLog = true;
  Table(10, 0, 2048);
  Column("SET", 10, 5);
  Column("LIST", 20, 5);
  EXPECT_EQ(Compute(), F(0));
  // Each column's lookup and the table's variable part: n = 0 at index 2.
  EXPECT_EQ(CountEntries("COMP"), 3);
  EXPECT_NE(LogText().find(Entry("COMP", "Bad colcount=0")), std::string::npos);
  settings_.UseMaxCardinality = false;
  std::string why;
  ASSERT_TRUE(log_.StartAfresh(&why));
  EXPECT_EQ(Compute(), F(0));
  EXPECT_EQ(CountEntries("COMP"), 1);  // only the variable part
}

TEST_F(ComputeTest, LookupChecksItsArgumentsInOrder) {
  settings_.DebugLog = true;
  EXPECT_EQ(Lookup(17, 0, 0, 9), F(0));
  EXPECT_EQ(Lookup(-1, 1, 1, 1), F(0));
  EXPECT_EQ(Lookup(3, 0, 17, 9), F(0));
  EXPECT_EQ(Lookup(3, 11, 10, 9), F(0));
  EXPECT_EQ(Lookup(3, 1, 10, 5), F(0));
  EXPECT_EQ(Lookup(3, 1, 10, 1), F(29));
  EXPECT_EQ(LogText(), Entry("COMP", "Bad typeindex=17") +
                           Entry("COMP", "Bad typeindex=-1") +
                           Entry("COMP", "Bad datasize=17") +
                           Entry("COMP", "Bad colcount=11") +
                           Entry("COMP", "Bad cardinality=5"));
  settings_.UseMaxCardinality = false;  // n is replaced by 1 after the check
  EXPECT_EQ(Lookup(3, 2, 10, 1), F(29));
}

TEST_F(ComputeTest, NoColumnsLeavesTheLengthsAlone) {
  settings_.DebugLog = true;
  Table(10, 1000, 2048);
  Column("CHAR", 10);
  Compute();
  context_.TableColumns.Clear();
  EXPECT_EQ(Compute(), F(0));
  EXPECT_EQ(context_.RowLength, F(10));
  EXPECT_NE(LogText().find(Entry("Compute", "No columns in the table")),
            std::string::npos);
}

TEST_F(ComputeTest, ZeroRowLengthGivesZeroAndSetsTheLengths) {
  settings_.DebugLog = true;
  Table(10, 1000, 2048);
  Column("CHAR", 0);
  EXPECT_EQ(Compute(), F(0));
  EXPECT_EQ(context_.RowLength, F(0));
  EXPECT_EQ(context_.CompressedLength, F(0));
  EXPECT_NE(LogText().find(Entry("COMP", "Bad datasize=0")), std::string::npos);
  EXPECT_NE(LogText().find(Entry("Compute", "No row length")),
            std::string::npos);
}

TEST_F(ComputeTest, EachTableLogsOneLinePerStep) {
  settings_.DebugLog = true;
  Table(100, 5000, 4096);
  Column("INTEGER", 4, 3);
  Column("VARCHAR", 40);
  Column("DECIMAL", 4098, 20);
  Column("DATETIME", 3594, 1000);
  Compute();
  EXPECT_EQ(CountEntries("LENGTH"), 1 + 4);
  EXPECT_EQ(CountEntries("Row Length"), 1);
  EXPECT_EQ(CountEntries("Compute"), 1);
  EXPECT_EQ(CountEntries("COMP"), 0);
}

TEST_F(ComputeTest, AbsurdCatalogValuesNeverBreakTheComputation) {
  settings_.DebugLog = false;
  const double statistics[] = {-1e18, -1, 0, 0.5, 1, 1e6, 9e14, 1e30};
  const int32_t codes[] = {0, 2, 5, 10, 13, 19, 40, 255, -1, 0x7fffffff};
  const int32_t lengths[] = {INT32_MIN, -32768, -1,    0,        1,
                             255,       32767,  65536, INT32_MAX};
  for (double pages : statistics) {
    for (double rows : statistics) {
      Table(pages, rows, 2048);
      for (int32_t code : codes) {
        for (int32_t length : lengths) {
          CatalogColumnRow& row =
              Column(ColumnTypeFromCode(code, reporter_), length, rows);
          // The run counts a negative length as nothing.
          row.ByteLength = std::max(row.ByteLength, 0);
        }
      }
      for (bool max_card : {true, false}) {
        settings_.UseMaxCardinality = max_card;
        Compute();
        // No saving exceeds the row or goes below nothing, and page
        // compression never saves more than row compression (no entry of
        // the statistics table has a page saving above its row saving).
        for (Method m : kMethods) {
          EXPECT_GE(context_.Pct[m], F(0)) << pages << " " << rows;
          EXPECT_LE(context_.Pct[m], F(100)) << pages << " " << rows;
          EXPECT_LE(context_.Compressed[m], context_.RowLength);
        }
        EXPECT_LE(context_.Pct.page, context_.Pct.row);
      }
    }
  }
  // Whatever the page size, the variable part stays between nothing and
  // its declared maximum.
  for (int16_t page_size : {int16_t{-32768}, int16_t{0}, int16_t{32767}}) {
    Table(1e14, 1e14, page_size);
    Column("VARCHAR", 255);
    Compute();
    EXPECT_GE(context_.RowLength, F(0)) << page_size;
    EXPECT_LE(context_.RowLength, F(255)) << page_size;
  }
}

}  // namespace
}  // namespace tce
