#include "engine/column_types.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/memory_desktop_port.h"
#include "support/printers.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::ReadFileBytes;
using ::tce::testing::TempDir;

class ColumnTypesTest : public ::testing::Test {
 protected:
  std::string NameOf(int32_t code) {
    return std::string(TypeNameOf(ColumnTypeFromCode(code, reporter_)));
  }
  std::string LogText() { return ReadFileBytes(log_.path()); }

  TempDir dir_;
  RunSettings settings_;
  DebugLog log_{dir_.File("t.dbg")};
  MemoryDesktopPort desktop_;
  Reporter reporter_{settings_, log_, desktop_};
};

TEST_F(ColumnTypesTest, OnlyTheLowEightBitsOfTheCodeCount) {
  EXPECT_EQ(NameOf(269), "VARCHAR");
  EXPECT_EQ(NameOf(256), "CHAR");
  EXPECT_EQ(NameOf(4118), "UNNAMED");
  EXPECT_EQ(NameOf(40), "LVARCHAR");
  EXPECT_EQ(NameOf(41), "CLOB");
  EXPECT_EQ(NameOf(52), "BIGINT");
  EXPECT_EQ(NameOf(53 + 512), "BIGSERIAL");
  EXPECT_EQ(NameOf(-256 + 2), "INTEGER");  // negative codes keep low bits
}

TEST_F(ColumnTypesTest, UnknownCodesAreLoggedWithTheMaskedValue) {
  EXPECT_EQ(NameOf(23), "UNKNOWN");
  EXPECT_EQ(LogText(), "");  // debug log off
  settings_.DebugLog = true;
  EXPECT_EQ(NameOf(23 + 1024), "UNKNOWN");
  EXPECT_EQ(NameOf(-1), "UNKNOWN");
  EXPECT_EQ(LogText(),
            "Data Type          Unknown datatype=23\r\n"
            "Data Type          Unknown datatype=255\r\n");
}

// The type of a name; a name the model does not know stands for a column
// whose type could not be read, which falls into every default row.
ColumnType T(std::string_view name) {
  return ColumnTypeNamed(name).value_or(ColumnType::kNoType);
}

int32_t Length(std::string_view name, int32_t catalog_length,
               StorageClass expected_storage) {
  EXPECT_EQ(StorageClassOf(T(name)), expected_storage) << name;
  return ColumnByteLength(T(name), catalog_length);
}

TEST(ColumnByteLengthTest, FixedTypesHaveTheirOwnLength) {
  EXPECT_EQ(Length("SMALLINT", 99, FixedCompressible), 2);
  EXPECT_EQ(Length("INTEGER", 99, FixedCompressible), 4);
  EXPECT_EQ(Length("SERIAL", 99, FixedCompressible), 4);
  EXPECT_EQ(Length("DATE", 99, FixedCompressible), 4);
  EXPECT_EQ(Length("INT8", 99, FixedCompressible), 10);
  EXPECT_EQ(Length("SERIAL8", 99, FixedCompressible), 10);
  EXPECT_EQ(Length("SMALLFLOAT", 99, FixedCompressible), 4);
  EXPECT_EQ(Length("FLOAT", 99, FixedCompressible), 8);
  EXPECT_EQ(Length("BIGINT", 99, FixedCompressible), 8);
  EXPECT_EQ(Length("CHAR", 200, FixedCompressible), 200);
  EXPECT_EQ(Length("NCHAR", 7, FixedCompressible), 7);
  EXPECT_EQ(Length("DATETIME", 3594, FixedCompressible), 14);
  EXPECT_EQ(Length("INTERVAL", -600, FixedCompressible), -2);  // toward zero
}

TEST(ColumnByteLengthTest, LargeObjectsAndUnknownTypesAreIncompressible) {
  EXPECT_EQ(Length("BYTE", 0, FixedIncompressible), 56);
  EXPECT_EQ(Length("TEXT", 0, FixedIncompressible), 56);
  EXPECT_EQ(Length("CLOB", 0, FixedIncompressible), 72);
  EXPECT_EQ(Length("UNKNOWN", 5, FixedIncompressible), 72);
  EXPECT_EQ(Length("NULL", 5, FixedIncompressible), 5);
  EXPECT_EQ(Length("whatever", 17, FixedIncompressible), 17);
}

TEST(ColumnByteLengthTest, VariableTypesUseTheDeclaredMaximum) {
  EXPECT_EQ(Length("VARCHAR", 2660, VariableLength), 100);  // VARCHAR(100,10)
  EXPECT_EQ(Length("VARCHAR", -32513, VariableLength), 255);
  EXPECT_EQ(Length("NVARCHAR", 0, VariableLength), 0);
  EXPECT_EQ(Length("VARCHAR", -100000, VariableLength), -160);
  EXPECT_EQ(Length("LVARCHAR", 0, VariableLength), 2048);
  EXPECT_EQ(Length("LVARCHAR", 500, VariableLength), 500);
  EXPECT_EQ(Length("SET", 40, VariableLength), 40);
  EXPECT_EQ(Length("UNNAMED", 300, VariableLength), 300);
}

TEST(ColumnByteLengthTest, DecimalLengthComesFromThePrecision) {
  EXPECT_EQ(Length("DECIMAL", 4098, FixedCompressible), 9);     // (16,2)
  EXPECT_EQ(Length("DECIMAL", 5 * 256, FixedCompressible), 4);  // (5,0)
  EXPECT_EQ(Length("DECIMAL", 8447, FixedCompressible), 17);    // p = 32
  EXPECT_EQ(Length("MONEY", 16 * 256 + 2, FixedCompressible), 9);
}

TEST(ColumnByteLengthTest, ExtremeCatalogLengthsGiveTheirArithmetic) {
  // VARCHAR keeps the low byte, whatever the length.
  for (int32_t length : {INT32_MIN, -65536, -1, 0, 32767, 65535, INT32_MAX}) {
    const int32_t bytes = ColumnByteLength(T("VARCHAR"), length);
    EXPECT_GE(bytes, 0) << length;
    EXPECT_LT(bytes, 256) << length;
  }
  EXPECT_EQ(ColumnByteLength(T("VARCHAR"), INT32_MAX), 255);
  EXPECT_EQ(ColumnByteLength(T("VARCHAR"), -1), 255);
  EXPECT_EQ(ColumnByteLength(T("DECIMAL"), INT32_MAX),
            (INT32_MAX / 256 + 4) / 2);
  EXPECT_EQ(ColumnByteLength(T("DECIMAL"), INT32_MIN),
            (INT32_MIN / 256 + 3) / 2);
  EXPECT_EQ(ColumnByteLength(T("DATETIME"), INT32_MAX), INT32_MAX / 256);
  EXPECT_EQ(ColumnByteLength(T("CHAR"), INT32_MIN), INT32_MIN);
  EXPECT_EQ(ColumnByteLength(T("LVARCHAR"), INT32_MAX), INT32_MAX);
  EXPECT_EQ(ColumnByteLength(T("UNKNOWN"), INT32_MIN), 72);
}

TEST(TypeIndexOfTest, MapsEveryNameToItsIndex) {
  EXPECT_EQ(TypeIndexOf(T("VARCHAR")), 2);
  EXPECT_EQ(TypeIndexOf(T("LVARCHAR")), 2);
  EXPECT_EQ(TypeIndexOf(T("NCHAR")), 3);
  EXPECT_EQ(TypeIndexOf(T("SERIAL8")), 4);
  EXPECT_EQ(TypeIndexOf(T("SMALLINT")), 6);
  EXPECT_EQ(TypeIndexOf(T("SERIAL")), 7);
  EXPECT_EQ(TypeIndexOf(T("BIGSERIAL")), 8);
  EXPECT_EQ(TypeIndexOf(T("SMALLFLOAT")), 9);
  EXPECT_EQ(TypeIndexOf(T("FLOAT")), 10);
  EXPECT_EQ(TypeIndexOf(T("DOUBLE")), 11);
  EXPECT_EQ(TypeIndexOf(T("MONEY")), 12);
  EXPECT_EQ(TypeIndexOf(T("DATE")), 13);
  EXPECT_EQ(TypeIndexOf(T("TIME")), 14);
  EXPECT_EQ(TypeIndexOf(T("INTERVAL")), 15);
  EXPECT_EQ(TypeIndexOf(T("NVARCHAR")), 2);
  EXPECT_EQ(TypeIndexOf(T("CHAR")), 3);
  EXPECT_EQ(TypeIndexOf(T("INT8")), 4);
  EXPECT_EQ(TypeIndexOf(T("INTEGER")), 7);
  EXPECT_EQ(TypeIndexOf(T("BIGINT")), 8);
  EXPECT_EQ(TypeIndexOf(T("REAL")), 9);
  EXPECT_EQ(TypeIndexOf(T("DECIMAL")), 12);
  EXPECT_EQ(TypeIndexOf(T("TIMESTAMP")), 15);
  EXPECT_EQ(TypeIndexOf(T("DATETIME")), 15);
  for (const char* name :
       {"OTHER",   "NULL",    "UNKNOWN",  "BYTE", "TEXT",  "CLOB",
        "BLOB",    "SET",     "MULTISET", "LIST", "NAMED", "UNNAMED",
        "OPAQUE",  "varchar", "",         "CHAX", "CLOCK", "TIMESTAMPS",
        "SERIAL9", "UNKNOWX", "INTEGERS"}) {
    EXPECT_EQ(TypeIndexOf(T(name)), 1) << name;
  }
}

TEST(SizeClassOfTest, CapsTheLengthPerType) {
  EXPECT_EQ(SizeClassOf(T("CHAR"), 200), 15);
  EXPECT_EQ(SizeClassOf(T("VARCHAR"), 7), 7);
  EXPECT_EQ(SizeClassOf(T("DECIMAL"), 17), 16);
  EXPECT_EQ(SizeClassOf(T("MONEY"), 9), 9);
  EXPECT_EQ(SizeClassOf(T("DATETIME"), 3), 10);
  EXPECT_EQ(SizeClassOf(T("INTERVAL"), 99), 10);
  EXPECT_EQ(SizeClassOf(T("TIME"), 8), 3);
  EXPECT_EQ(SizeClassOf(T("INTEGER"), 4), 4);
  EXPECT_EQ(SizeClassOf(T("UNKNOWN"), 72), 15);
  EXPECT_EQ(SizeClassOf(T("CHAR"), 0), 0);
  EXPECT_EQ(SizeClassOf(T("CHAR"), -5), -5);
  // Beyond 16 bits the length is clamped, never wrapped to a small class.
  EXPECT_EQ(SizeClassOf(T("CHAR"), 65537), 15);
  EXPECT_EQ(SizeClassOf(T("CHAR"), INT32_MIN), INT16_MIN);
}

TEST(CardinalityClassOfTest, ComparesExactlyOnFourDecimals) {
  auto c = [](double value) { return Fixed4::FromDouble(value); };
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(0)), 1);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(10)), 1);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(10.0001)), 4);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(10.5)), 4);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(11)), 2);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(100)), 2);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(100.5)), 4);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(101)), 3);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(250)), 3);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(251)), 4);
  EXPECT_EQ(CardinalityClassOf(T("INTEGER"), c(-1)), 4);
  for (const char* name :
       {"CHAR", "NCHAR", "VARCHAR", "NVARCHAR", "LVARCHAR"}) {
    EXPECT_EQ(CardinalityClassOf(T(name), c(1e9)), 1) << name;
    EXPECT_EQ(CardinalityClassOf(T(name), c(-5)), 1) << name;
  }
}

}  // namespace
}  // namespace tce
