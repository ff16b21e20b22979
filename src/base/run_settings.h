// The user's options of an analysis run, set by the options panel (or the
// command line) and read by the query builder, the computation and the
// results views. Nothing else changes them.
#ifndef TCE_BASE_RUN_SETTINGS_H_
#define TCE_BASE_RUN_SETTINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tce {

struct RunSettings {
  // Tables whose estimated saving in percent is below this are not listed
  // (0 to 100; start-up 0).
  int16_t MinCompressionPct = 0;
  // Minimum table size in megabytes for the catalog query (0 to 100; 0).
  int32_t MinTableSizeMB = 0;
  // Restricts the query to tables whose row count is above zero (false).
  bool IgnoreTablesWithoutStats = false;
  // Cardinality class taken as the maximum over a table's columns of one
  // type index (true) or per column (false).
  bool UseMaxCardinality = true;
  // Page compression percentages (true) or row compression (false).
  bool EstimatePageCompression = true;
  // Sizes shown in pages (true) or kilobytes (false).
  bool ShowPageSavings = true;
  // Export delimiter: tab (true) or comma (false).
  bool TabDelimited = true;
  // Comma-separated owner and table lists, names or "%" patterns (empty).
  std::string OwnerFilter;
  std::string TableFilter;
  // Debug log and statement log switches (false unless configured).
  bool DebugLog = false;
  bool LogSQL = false;
};

// Gives every field but DebugLog and LogSQL (which the configuration file
// has set by then) its start-up value.
void ResetToStartupValues(RunSettings& settings);

// The comma-separated list of a filter box's non-empty lines, each trimmed
// (the last one only of trailing blanks, through the whole text's trim):
// how a filter is stored.
std::string JoinFilterLines(std::string_view text);

}  // namespace tce

#endif  // TCE_BASE_RUN_SETTINGS_H_
