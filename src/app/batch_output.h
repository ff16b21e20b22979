// The command-line tool's output, written as the run lists its tables: the
// export's lines (or the JSON document), the column lines after them. It
// is built in temporary files and put in place only when the run has
// succeeded, so that a failed run writes nothing and leaves an existing
// output file as it was.
#ifndef TCE_APP_BATCH_OUTPUT_H_
#define TCE_APP_BATCH_OUTPUT_H_

#include <cstdio>
#include <span>
#include <string>

#include "analysis/analysis.h"
#include "app/batch_options.h"
#include "wizard/app_state.h"

namespace tce {

class BatchOutput : public TableSink {
 public:
  BatchOutput(const BatchOptions& options, const AppState& app)
      : options_(options), app_(app) {}
  ~BatchOutput() override;
  BatchOutput(const BatchOutput&) = delete;
  BatchOutput& operator=(const BatchOutput&) = delete;

  // Creates the temporary files and writes the output's head.
  Status Open();
  // Writes one table's line and, with --columns, its column lines.
  Status OnTable(const TableEstimate& table,
                 std::span<const CatalogColumnRow> columns) override;
  // Writes the output's tail and puts it in place (the --output file, or
  // standard output).
  Status Commit(const ResultSet& results);

  // Whether the run failed because the output could not be written.
  bool write_failed() const { return write_failed_; }

 private:
  Status Write(std::FILE* file, const std::string& text);
  // Notes that writing failed; the failure with errno's reason.
  Status WriteFailed(const char* what);
  Status CopyInto(std::FILE* from, std::FILE* to);
  Status PutInPlace();
  std::string Head() const;
  std::string Tail(const ResultSet& results) const;

  const BatchOptions& options_;
  const AppState& app_;
  std::FILE* main_ = nullptr;     // the tables, and at the end everything
  std::FILE* columns_ = nullptr;  // the column lines, until the end
  std::string temp_path_;         // the file beside --output, while open
  int tables_ = 0;
  int column_lines_ = 0;
  bool write_failed_ = false;
};

// A JSON string literal for bytes of the catalog's single-byte code page.
std::string JsonString(std::string_view text);
// A JSON number for a number's text, or null when it is not one.
std::string JsonNumber(std::string_view text);

}  // namespace tce

#endif  // TCE_APP_BATCH_OUTPUT_H_
