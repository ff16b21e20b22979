// Statement execution: a statement prepared and executed on the
// connection, its result columns bound as character data into the
// statement's own fixed result buffer, rows handed out as trimmed texts.
// Each Statement owns its handle: it is dropped when the rows end, when a
// call fails, on CloseStatement or when the object goes.
#ifndef TCE_DB_STATEMENT_H_
#define TCE_DB_STATEMENT_H_

#include <sql.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/handles.h"
#include "db/status.h"

namespace tce {

inline constexpr int kResultBufferSize = 32000;
inline constexpr int kMaxResultColumns = 20;
inline constexpr int kMaxColumnSize = 4000;
inline constexpr int kSlotPadding = 16;
inline constexpr int kDistributionSize = 256;
inline constexpr SQLSMALLINT kDistributionType = -101;

// One result column's slice of the result buffer.
struct ColumnSlot {
  int16_t offset = 0;  // number of the slot's first byte, counted from 1
  int16_t length = 0;  // bytes reserved
  bool numeric = false;  // a number's text: no zero bytes or line feeds
};

// Turns the layout markers of the program's SQL texts into spaces (for
// execution) or into CR LF for "~" and a tab for "^" (for the log). A
// leading "~" is dropped and leading spaces are removed. Markers inside
// string literals ('...', with '' for a quote) are text and stay.
std::string ResolveSqlMarkers(std::string_view sql, bool for_execution);

class Statement {
 public:
  // A statement on `connection`, which must stay open while it is used.
  explicit Statement(const Connection& connection);
  ~Statement() { CloseStatement(); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Prepares and executes the statement and binds its first 20 result
  // columns. On failure the statement is closed and the status says which
  // call failed and why (statements that bind more than the buffer holds:
  // "Row too large to return").
  Status ExecuteStatement(std::string_view sql);

  // Fetches the next row into StatementResult. `has_row` false with an ok
  // status: the rows have ended. Either way, and on failure, the statement
  // is then closed; with `close_after_row` it is closed after the row too.
  Status FetchRow(bool& has_row, bool close_after_row = false);

  // Drops the statement handle and commits on the connection.
  void CloseStatement();
  bool open() const { return static_cast<bool>(handle_); }

  // Entry `n` (1 to 20) of the current row; entries beyond the result's
  // columns keep what they held before.
  const std::string& StatementResult(int n) const { return result_[n]; }
  int16_t ResultColumnCount() const { return result_column_count_; }
  const std::vector<ColumnSlot>& ColumnSlots() const { return slots_; }

 private:
  Status Prepare(const std::string& text);
  Status BindColumns();
  // The failure of `call`, with the driver's diagnostic; closes the
  // statement after reading it.
  Status Fail(const char* call, SQLRETURN rc, const char* log_text = nullptr);
  // Whether the statement's last error says the driver lacks the option.
  bool OptionNotSupported();
  void SlotTextInto(int column, bool trim, std::string& text) const;

  const Connection& connection_;
  uint64_t generation_ = 0;  // the connection's, when the handle was made
  CliHandle handle_;
  // Room beyond the 32000 bytes for the slot that crosses the limit, which
  // is bound before the limit is noticed and never fetched into. On the
  // heap, so that the bound addresses stay put.
  using Buffer = std::array<unsigned char,
                            kResultBufferSize + kMaxColumnSize + kSlotPadding>;
  std::unique_ptr<Buffer> buffer_;
  std::vector<ColumnSlot> slots_;  // index c - 1
  std::array<SQLLEN, kMaxResultColumns> indicators_{};
  std::array<std::string, kMaxResultColumns + 1> result_;  // 1-based
  int16_t result_column_count_ = 0;
};

}  // namespace tce

#endif  // TCE_DB_STATEMENT_H_
