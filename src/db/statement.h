// Statement execution: one statement at a time, its result columns bound as
// character data into one fixed result buffer, rows handed out as trimmed
// texts, and driver errors shown to the user.
#ifndef TCE_DB_STATEMENT_H_
#define TCE_DB_STATEMENT_H_

#include <sql.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/driver_handles.h"
#include "base/debug_log.h"

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
};

// Turns the layout markers of the program's SQL texts into spaces (for
// execution) or into CR LF for "~" and a tab for "^" (for the log). A
// leading "~" is dropped and leading spaces are removed.
std::string ResolveSqlMarkers(std::string_view sql, bool for_execution);

class StatementLayer {
 public:
  StatementLayer(DriverHandles& handles, const Reporter& reporter)
      : handles_(handles), reporter_(reporter) {}
  StatementLayer(const StatementLayer&) = delete;
  StatementLayer& operator=(const StatementLayer&) = delete;

  // Prepares and executes the statement and binds its first 20 result
  // columns. True when rows can be fetched; false otherwise (a driver error
  // during execution or binding has been shown to the user).
  bool ExecuteStatement(std::string_view sql);

  // Fetches the next row into StatementResult. False when there is none
  // or the driver failed (its error shown through ReportSqlError); the
  // statement is then closed. With
  // `close_after_row` the statement is closed right after the row.
  bool FetchRow(bool close_after_row);

  // Drops the statement handle and commits on the connection; returns 0.
  int CloseStatement();

  // Reads the driver's error, strips three bracketed prefixes, drops the
  // statement, shows the text in a box titled "SQL Error" and returns it.
  // When the driver has no error text, returns (and logs) a text saying so.
  std::string ReportSqlError();

  // The value in one column slot, up to its zero byte, LF as CR LF.
  std::string SlotText(const ColumnSlot& slot) const;

  // Entry `n` (1 to 20) of the current row; entries beyond the result's
  // columns keep what they held before.
  const std::string& StatementResult(int n) const { return result_[n]; }
  int16_t ResultColumnCount() const { return result_column_count_; }
  const std::vector<ColumnSlot>& ColumnSlots() const { return slots_; }
  // The last driver result recorded here.
  int32_t LastResultCode() const { return handles_.LastResultCode; }

 private:
  // SlotText into `text`, trimmed of spaces when `trim` is set.
  void SlotTextInto(const ColumnSlot& slot, bool trim, std::string& text) const;
  // Whether the statement's last error says the driver lacks the option.
  bool OptionNotSupported();
  void LogIfDebug(std::string_view category, std::string_view text) const {
    reporter_.Log(category, text);
  }

  DriverHandles& handles_;
  const Reporter& reporter_;
  // Room beyond the 32000 bytes for the slot that crosses the limit, which
  // is bound before the limit is noticed and never fetched into.
  std::array<unsigned char, kResultBufferSize + kMaxColumnSize + kSlotPadding>
      buffer_{};
  size_t bound_end_ = 0;           // bytes of the buffer covered by the slots
  std::vector<ColumnSlot> slots_;  // index c - 1
  std::array<SQLLEN, kMaxResultColumns> indicators_{};
  std::array<std::string, kMaxResultColumns + 1> result_;  // 1-based
  int16_t result_column_count_ = 0;
  bool statement_allocated_ = false;
};

}  // namespace tce

#endif  // TCE_DB_STATEMENT_H_
