// Reading a run's document back: what it holds becomes the record again,
// and anything that is not exactly such a document is refused with a
// reason, at once, whatever the input.
#include "output/record_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>

#include "base/json_reader.h"
#include "model/figures.h"
#include "support/temp_dir.h"

namespace tce {
namespace {

using ::tce::testing::TempDir;
using ::tce::testing::WriteFileBytes;

// A document of one run with one table: 100 pages of 2048 bytes, 1000
// rows of 100 bytes compressed to 60 (row) and 55 (page): it saves 40 %
// and 45 %, so a minimum of 45 lists it by page and not by row.
std::string Document(const std::string& table_extra = "",
                     const std::string& record_extra = "",
                     const std::string& listed = "true") {
  return R"({"database": "d", "record": {"version": 1, "server": {"name": "s",
    "host": "h"}, "database": "d", "server_version": "11.70",
    "settings": {"min_compression": 45, "min_size_mb": 0,
    "ignore_tables_without_statistics": false, "cardinality": "max",
    "compression": "page", "unit": "pages"}, "started":
    "2026-12-09T05:41:22.123Z", "ended": "2026-12-09T05:41:23.000Z",
    "complete": true, "plan": null)" + record_extra + R"(},
    "record_tables": [{"owner": "o", "table": "t", "rows": 1000,
    "pages": 100, "page_size": 2048, "row_length": 100,
    "compressed_length": {"row": 60, "page": 55},
    "basis": {"full": 1, "sampled": 2, "none": 3}, "listed": )" + listed +
         table_extra + "}]}";
}

Status Read(const std::string& text, Records* records) {
  JsonReader reader(text);
  return ReadRecordDocument(reader, records);
}

TEST(RecordReaderTest, ADocumentBecomesItsRecord) {
  Records records;
  ASSERT_TRUE(Read(Document(), &records).ok());
  ASSERT_EQ(records.size(), 1u);
  const RunRecord& r = *records[0];
  EXPECT_EQ(r.server.name, "s");
  EXPECT_EQ(r.server.host, "h");
  EXPECT_EQ(r.settings.MinCompressionPct, 45);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(
                r.ended - r.started).count(), 877);
  ASSERT_EQ(r.tables.size(), 1u);
  ASSERT_EQ(r.listed.size(), 1u);
  EXPECT_EQ(AllocatedBytes(r.tables[0]), 100 * 2048);
  EXPECT_EQ(SavedPct(r.tables[0], Method::kPage), Fixed4::FromInt(45));
  EXPECT_EQ(r.tables[0].basis.none, 3);
  // Four decimals are read exactly, also where a double would round.
  std::string exact = Document();
  exact.replace(exact.find("\"rows\": 1000"), 12,
                "\"rows\": 99999999999.9999");
  Records again;
  ASSERT_TRUE(Read(exact, &again).ok());
  EXPECT_EQ(again[0]->tables[0].row_count.raw(), 999999999999999);
}

TEST(RecordReaderTest, NumbersAreJsonsAndNamesAreOnce) {
  for (const char* number : {"1.2.3", "--5", "01", "1.", ".5", "1e", "+1", "0x10",
                             "Infinity", "1.23456"}) {
    Records records;
    const std::string text =
        Document().replace(Document().find("\"rows\": 1000"), 12,
                           std::string("\"rows\": ") + number);
    const Status status = Read(text, &records);
    EXPECT_FALSE(status.ok()) << number;
    EXPECT_TRUE(records.empty()) << number;
  }
  Records records;
  EXPECT_FALSE(Read(Document(", \"owner\": \"p\"", ""), &records).ok());
  // A member the reader would pass over, twice: still no JSON of ours.
  const Status twice = Read(Document(", \"note\": 1, \"note\": 2", ""), &records);
  EXPECT_NE(twice.ToString().find("named twice"), std::string::npos)
      << twice.ToString();
  EXPECT_FALSE(Read(Document() + " x", &records).ok());
  EXPECT_FALSE(Read(std::string(100, '[') , &records).ok());
}

TEST(RecordReaderTest, ADocumentThatContradictsItselfIsRefused) {
  Records records;
  // The minimum lists the table: a document that says otherwise lies.
  Status status = Read(Document("", "", "false"), &records);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.ToString().find("o.t"), std::string::npos) << status.ToString();
  // With a plan of margin 10, threshold 20 the table is "row" (40 % vs
  // 45 %: page is not 10 points better), not "page".
  status = Read(Document(", \"plan\": {\"recommendation\": \"page\"}",
                         "").replace(Document().find("\"plan\": null"), 12,
                                     "\"plan\": {\"margin\": 10, \"threshold\": 20}"),
                &records);
  EXPECT_FALSE(status.ok()) << "a plan line against its rule";
  status = Read(Document(", \"plan\": {\"recommendation\": \"row\"}",
                         "").replace(Document().find("\"plan\": null"), 12,
                                     "\"plan\": {\"margin\": 10, \"threshold\": 20}"),
                &records);
  EXPECT_TRUE(status.ok()) << status.ToString();
  // A moment no clock holds, or not in the shape written.
  for (const char* moment : {"4052-12-09T05:41:22.123Z", "2026-12-09 05:41:22",
                             "2026-13-09T05:41:22.123Z", "+026-12-09T05:41:22.123Z"}) {
    std::string odd = Document();
    odd.replace(odd.find("2026-12-09T05:41:22.123Z"), 24, moment);
    EXPECT_FALSE(Read(odd, &records).ok()) << moment;
  }
  // A newer release's record, and a document without a record.
  std::string newer = Document();
  newer.replace(newer.find("\"version\": 1"), 12, "\"version\": 2");
  EXPECT_NE(Read(newer, &records).ToString().find("newer"), std::string::npos);
  EXPECT_NE(Read("{\"tables\": [], \"totals\": {}}", &records).ToString().find(
                "no record"),
            std::string::npos);
}

TEST(RecordReaderTest, OnlyRegularFilesAreRead) {
  TempDir dir;
  Records records;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // No writer ever comes: the refusal must be immediate, not a hang.
  for (const std::string& path :
       {fifo, dir.path().string(), std::string("/dev/zero")}) {
    const Status status = ReadRecordFile(path, &records);
    EXPECT_NE(status.ToString().find("not a regular file"), std::string::npos)
        << path << ": " << status.ToString();
  }
  WriteFileBytes(dir.File("big.json"), Document());
  EXPECT_FALSE(ReadRecordFile(dir.File("big.json"), &records, 100).ok());
  EXPECT_TRUE(ReadRecordFile(dir.File("big.json"), &records).ok());
  EXPECT_EQ(records.size(), 1u);
}

}  // namespace
}  // namespace tce
