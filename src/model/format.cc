#include "model/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/number_text.h"
#include "model/figures.h"

namespace tce {

std::string WholePercentText(double pct) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", std::isfinite(pct) ? pct : 0.0);
  return text;
}

std::string RatioPercentText(double ratio) {
  return FormatNumber(RoundHalfEven(ratio * 100.0)) + "%";
}

std::string PercentText(double pct) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", std::isfinite(pct) ? pct : 0.0);
  return text;
}

std::string PercentText(Fixed4 pct) { return pct.ToText() + " %"; }

std::string HumanBytes(double bytes) {
  if (!std::isfinite(bytes) || bytes < 0) bytes = 0;
  if (bytes < 1024) {
    return FormatNumber(std::floor(bytes)) + (bytes == 1 ? " byte" : " bytes");
  }
  return ScaledWithUnit(bytes, 1024.0, {"kB", "MB", "GB", "TB"});
}

std::string ScreenBytes(double bytes) {
  if (!std::isfinite(bytes) || bytes < 0) bytes = 0;
  if (bytes < 1024) return HumanBytes(bytes);
  return ScaledWithUnit(bytes, 1024.0, {"K", "M", "G", "T"});
}

std::string SignedBytes(double change, bool screen) {
  const double size = change <= -0.5 ? -change : change;
  const std::string text = screen ? ScreenBytes(size) : HumanBytes(size);
  return change <= -0.5 ? "\u2212" + text : text;
}

ByteScale ByteScaleFor(double top, bool file_units) {
  static const char* const kScreenUnits[] = {"bytes", "K", "M", "G", "T"};
  static const char* const kFileUnits[] = {"bytes", "kB", "MB", "GB", "TB"};
  const char* const* kUnits = file_units ? kFileUnits : kScreenUnits;
  size_t unit = 0;
  double scale = 1;
  while (unit < 4 && top / (scale * 1024) >= 1) {
    scale *= 1024;
    ++unit;
  }
  return {scale, kUnits[unit]};
}

std::string Grouped(uint64_t count) {
  std::string digits = std::to_string(count);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<size_t>(at), ",");
  }
  return digits;
}

std::string HumanCount(double count) {
  if (!std::isfinite(count) || count < 0) return "0";
  if (count < 10000) return Grouped(static_cast<uint64_t>(count));
  return ScaledWithUnit(count, 1000.0, {"k", "M", "G", "T", "P"});
}

std::string BasisText(ColumnBasis basis, uint64_t sample, Fixed4 rows) {
  switch (basis) {
    case ColumnBasis::kFull:
      return "full";
    case ColumnBasis::kSampled:
      return "sampled " + Grouped(sample) + " of " +
             HumanCount(rows.ToDouble());
    default:
      return "none";
  }
}

std::string BasisExplanation(ColumnBasis basis, uint64_t sample, Fixed4 rows) {
  switch (basis) {
    case ColumnBasis::kFull:
      return "The distribution was built from all rows: the number of "
             "distinct values is exact.";
    case ColumnBasis::kSampled:
      return "The distribution was built from a sample of " + Grouped(sample) +
             " of " +
             Grouped(static_cast<uint64_t>(std::max(0.0, rows.ToDouble()))) +
             " rows: the number of distinct values is estimated from it.";
    default:
      return "No distribution that can be read: every row is taken as "
             "distinct, the cautious case, so the saving shown may be too "
             "low. Updating the column's statistics gives a better estimate.";
  }
}

std::string BasisSummary(const TableRecord& table) {
  const StatisticsBasis& b = table.basis;
  if (!HasStatistics(table)) {
    return "No statistics for this table (its row count is 0 or less): no "
           "sizes are estimated, and its variable-length columns count at "
           "their declared maximum. Updating its statistics gives an "
           "estimate.";
  }
  std::string text = std::to_string(b.columns()) +
                     (b.columns() == 1 ? " column: " : " columns: ") +
                     std::to_string(b.full) + " full, " +
                     std::to_string(b.sampled) + " sampled, " +
                     std::to_string(b.none) + " without a distribution";
  if (b.none > 0) {
    text +=
        "\nColumns without a distribution count every row as distinct, "
        "so the saving shown may be too low.";
  }
  return text;
}

std::string LocalMinuteText(TimePoint when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

std::string IsoTimeText(TimePoint when) {
  const auto ms = std::chrono::floor<std::chrono::milliseconds>(when);
  const std::time_t seconds = std::chrono::system_clock::to_time_t(
      std::chrono::floor<std::chrono::seconds>(ms));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[64];
  const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  const long long millis =
      (ms.time_since_epoch() - std::chrono::floor<std::chrono::seconds>(ms)
                                   .time_since_epoch())
          .count();
  std::snprintf(text + length, sizeof text - length, ".%03lldZ", millis);
  return text;
}

bool ParseIsoTime(const std::string& text, TimePoint* when) {
  // Exactly "YYYY-MM-DDTHH:MM:SS.mmmZ", within the years a clock holds.
  static constexpr char kShape[] = "dddd-dd-ddTdd:dd:dd.dddZ";
  if (text.size() != sizeof kShape - 1) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
  }
  const auto number = [&](size_t at, size_t length) {
    return std::stoi(text.substr(at, length));
  };
  std::tm utc{};
  utc.tm_year = number(0, 4) - 1900;
  utc.tm_mon = number(5, 2) - 1;
  utc.tm_mday = number(8, 2);
  utc.tm_hour = number(11, 2);
  utc.tm_min = number(14, 2);
  utc.tm_sec = number(17, 2);
  if (utc.tm_year < 70 || utc.tm_year > 300 || utc.tm_mon > 11 ||
      utc.tm_mday < 1 || utc.tm_mday > 31 || utc.tm_hour > 23 ||
      utc.tm_min > 59 || utc.tm_sec > 60)
    return false;
  const std::time_t seconds = timegm(&utc);
  if (seconds == static_cast<std::time_t>(-1)) return false;
  *when = std::chrono::system_clock::from_time_t(seconds) +
          std::chrono::milliseconds(number(20, 3));
  return true;
}

}  // namespace tce
