// Reads the records of the documents --json writes back into records: one
// run's document, a plan's, or several databases' ({"databases": [...]},
// whose failed entries become failed records). Only what the record holds
// is read (output/record_document.h); totals and every other figure are
// worked out from it again, never taken from the document, and a document
// whose parts contradict each other is refused.
#ifndef TCE_OUTPUT_RECORD_READER_H_
#define TCE_OUTPUT_RECORD_READER_H_

#include <memory>
#include <string>
#include <vector>

#include "base/json_reader.h"
#include "base/status.h"
#include "model/run_record.h"

namespace tce {

using Records = std::vector<std::shared_ptr<const RunRecord>>;

// Reads every record of the document `reader` stands at into `records`;
// an input failure that says what is wrong and where otherwise.
Status ReadRecordDocument(JsonReader& reader, Records* records);

// Reads the records of a document file: a regular file (a device, a FIFO
// or a folder is refused at once) of at most `largest` bytes.
Status ReadRecordFile(const std::string& path, Records* records,
                      int64_t largest = int64_t{16} << 30);

}  // namespace tce

#endif  // TCE_OUTPUT_RECORD_READER_H_
