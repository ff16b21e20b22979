#include "app/batch_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/number_text.h"
#include "base/text_util.h"
#include "results/results_actions.h"

namespace tce {
namespace {

bool IsJsonNumber(std::string_view text) {
  size_t i = 0;
  auto digits = [&] {
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i > start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  if (!digits()) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == text.size();
}

// A number column of a table as JSON.
std::string JsonCell(const TableEstimate& table, int col) {
  return JsonNumber(TrimBlanks(GridCellText(table, col)));
}

Status ErrnoFailure(const std::string& what) {
  return Status::Failure(what + ": " + std::strerror(errno));
}

// What a table's estimate rests on, as a JSON object.
std::string JsonStatistics(const TableEstimate& table) {
  if (!table.HasStatistics()) return "{\"none\": true}";
  const StatisticsBasis& b = table.basis;
  return "{\"columns\": " + std::to_string(b.columns) +
         ", \"full\": " + std::to_string(b.full) +
         ", \"sampled\": " + std::to_string(b.sampled) +
         ", \"none\": " + std::to_string(b.none) + "}";
}

// A column line's basis, as further JSON fields.
std::string JsonBasis(const CatalogColumnRow& column) {
  switch (column.Basis) {
    case ColumnBasis::kFull:
      return ", \"basis\": \"full\"";
    case ColumnBasis::kSampled:
      return ", \"basis\": \"sampled\", \"sample\": " +
             std::to_string(column.SampleSize) +
             ", \"rows\": " + JsonNumber(column.RowCount.ToText());
    default:
      return ", \"basis\": \"none\"";
  }
}

// A column line's basis as the last field of a text line.
std::string BasisField(const CatalogColumnRow& column) {
  switch (column.Basis) {
    case ColumnBasis::kFull:
      return "full";
    case ColumnBasis::kSampled:
      return "sampled " + std::to_string(column.SampleSize) + " of " +
             column.RowCount.ToText();
    default:
      return "none";
  }
}

std::string JsonTotals(const ResultSet& results) {
  const ResultTotals totals = TotalsOf(results);
  char saved[32];
  std::snprintf(saved, sizeof saved, "%.4f", totals.saved_pct);
  return "{\"tables\": " + std::to_string(totals.tables) +
         ", \"size_bytes\": " + FormatNumber(totals.size_bytes) +
         ", \"compressed_bytes\": " + FormatNumber(totals.compressed_bytes) +
         ", \"saved_pct\": " + JsonNumber(saved) + "}";
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x80) {
          // Bytes of the catalog's single-byte code page, as Latin-1.
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(std::string_view text) {
  return IsJsonNumber(text) ? std::string(text) : "null";
}

BatchOutput::~BatchOutput() {
  if (main_ != nullptr) std::fclose(main_);
  if (columns_ != nullptr) std::fclose(columns_);
  if (!temp_path_.empty()) std::remove(temp_path_.c_str());
}

Status BatchOutput::WriteFailed(const char* what) {
  write_failed_ = true;
  return ErrnoFailure(what);
}

Status BatchOutput::Write(std::FILE* file, const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) {
    return Status();
  }
  return WriteFailed("writing the output failed");
}

Status BatchOutput::Open() {
  if (options_.columns) {
    columns_ = std::tmpfile();
    if (columns_ == nullptr) return ErrnoFailure("no temporary file");
  }
  struct stat target {};
  const bool to_file = options_.output.has_value();
  const bool special = to_file &&
                       stat(options_.output->c_str(), &target) == 0 &&
                       !S_ISREG(target.st_mode);
  if (!to_file || special) {
    // Standard output or a device: kept aside until the run has succeeded.
    main_ = std::tmpfile();
    if (main_ == nullptr) return ErrnoFailure("no temporary file");
  } else {
    const std::filesystem::path path(*options_.output);
    temp_path_ =
        (path.parent_path() / ("." + path.filename().string() + ".XXXXXX"))
            .string();
    const int fd = mkstemp(temp_path_.data());
    if (fd < 0) {
      temp_path_.clear();
      return ErrnoFailure(*options_.output);
    }
    // The file gets the permissions a newly created one would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    main_ = fdopen(fd, "w+b");
    if (main_ == nullptr) {
      close(fd);
      return ErrnoFailure(*options_.output);
    }
  }
  return Write(main_, Head());
}

std::string BatchOutput::Head() const {
  const RunSettings& s = app_.settings;
  const SizeUnit unit =
      s.ShowPageSavings ? SizeUnit::kPages : SizeUnit::kKilobytes;
  if (!options_.json) {
    return ExportHeaderLine(app_.messages, unit, s.TabDelimited ? '\t' : ',') +
           "\r\n";
  }
  std::string json =
      "{\n  \"database\": " + JsonString(app_.connection.DatabaseName) + ",\n";
  json +=
      "  \"settings\": {\"min_compression\": " +
      std::to_string(s.MinCompressionPct) +
      ", \"min_size_mb\": " + std::to_string(s.MinTableSizeMB) +
      ", \"ignore_tables_without_statistics\": " +
      (s.IgnoreTablesWithoutStats ? "true" : "false") +
      ", \"cardinality\": " + (s.UseMaxCardinality ? "\"max\"" : "\"column\"") +
      ", \"compression\": " +
      (s.EstimatePageCompression ? "\"page\"" : "\"row\"") +
      ", \"unit\": " + (s.ShowPageSavings ? "\"pages\"" : "\"kilobytes\"") +
      "},\n";
  json += "  \"header\": [";
  bool first = true;
  for (const std::string& text : ResultsHeaderTexts(app_.messages, unit)) {
    json += (first ? "" : ", ") + JsonString(text);
    first = false;
  }
  json += "],\n  \"tables\": [";
  return json;
}

Status BatchOutput::OnTable(const TableEstimate& table,
                            std::span<const CatalogColumnRow> columns) {
  const char d = app_.settings.TabDelimited ? '\t' : ',';
  std::string line;
  if (options_.json) {
    line = (tables_ > 0 ? ",\n    " : "\n    ");
    line += "{\"owner\": " + JsonString(table.owner) +
            ", \"table\": " + JsonString(table.table) +
            ", \"count\": " + JsonCell(table, 3) +
            ", \"size\": " + JsonCell(table, 4) +
            ", \"compressed\": " + JsonCell(table, 5) +
            ", \"saved_pct\": " + JsonCell(table, 6) +
            ", \"page_size\": " + JsonCell(table, 7) +
            ", \"statistics\": " + JsonStatistics(table) + "}";
  } else {
    line = ExportLine(table, d) + "\r\n";
  }
  ++tables_;
  Status status = Write(main_, line);
  if (!status.ok() || columns_ == nullptr) return status;
  std::string lines;
  for (const CatalogColumnRow& column : columns) {
    if (options_.json) {
      lines += column_lines_ > 0 ? ",\n    " : "\n    ";
      lines += "{\"owner\": " + JsonString(table.owner) +
               ", \"table\": " + JsonString(table.table) +
               ", \"column\": " + JsonString(column.ColumnName) +
               ", \"type\": " + JsonString(column.TypeName) +
               ", \"bytes\": " + std::to_string(column.ByteLength) +
               ", \"saved_pct\": " + column.CompressionPct.ToText() +
               JsonBasis(column) + "}";
    } else {
      lines += ExportField(table.owner, d) + d + ExportField(table.table, d) +
               d + ExportField(column.ColumnName, d) + d + column.TypeName + d +
               std::to_string(column.ByteLength) + d +
               column.CompressionPct.ToText() + d + BasisField(column) + "\r\n";
    }
    ++column_lines_;
  }
  return Write(columns_, lines);
}

Status BatchOutput::CopyInto(std::FILE* from, std::FILE* to) {
  if (std::fflush(from) != 0 || std::fseek(from, 0, SEEK_SET) != 0) {
    return WriteFailed("reading back the output failed");
  }
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0) {
    if (std::fwrite(buffer, 1, n, to) != n) {
      return WriteFailed("writing the output failed");
    }
  }
  if (std::ferror(from)) {
    return WriteFailed("reading back the output failed");
  }
  return Status();
}

Status BatchOutput::Commit(const ResultSet& results) {
  const MessageTable& m = app_.messages;
  const std::string d = app_.settings.TabDelimited ? "\t" : ",";
  Status status;
  if (options_.json) {
    status = Write(main_, tables_ > 0 ? "\n  ]" : "]");
    if (status.ok() && columns_ != nullptr) {
      status = Write(main_, ",\n  \"columns\": [");
      if (status.ok()) status = CopyInto(columns_, main_);
      if (status.ok()) status = Write(main_, column_lines_ > 0 ? "\n  ]" : "]");
    }
    if (status.ok())
      status = Write(main_, ",\n  \"totals\": " + JsonTotals(results));
    if (status.ok()) status = Write(main_, "\n}\n");
  } else if (columns_ != nullptr) {
    const char c = d[0];
    status =
        Write(main_, ExportField(m[66], c) + d + ExportField(m[65], c) + d +
                         ExportField(m[64], c) + d + ExportField(m[67], c) + d +
                         ExportField(m[68], c) + d + ExportField(m[62], c) + d +
                         "Statistics\r\n");
    if (status.ok()) status = CopyInto(columns_, main_);
  }
  if (!status.ok()) return status;
  return PutInPlace();
}

Status BatchOutput::PutInPlace() {
  if (std::fflush(main_) != 0) {
    return WriteFailed("writing the output failed");
  }
  if (!temp_path_.empty()) {
    if (std::fclose(main_) != 0) {
      main_ = nullptr;
      return ErrnoFailure("writing the output failed");
    }
    main_ = nullptr;
    if (std::rename(temp_path_.c_str(), options_.output->c_str()) != 0) {
      return ErrnoFailure(*options_.output);
    }
    temp_path_.clear();
    return Status();
  }
  std::FILE* target = stdout;
  if (options_.output) {
    target = std::fopen(options_.output->c_str(), "wb");
    if (target == nullptr) return ErrnoFailure(*options_.output);
  }
  Status status = CopyInto(main_, target);
  if (std::fflush(target) != 0 && status.ok()) {
    status = ErrnoFailure("writing the output failed");
  }
  if (target != stdout && std::fclose(target) != 0 && status.ok()) {
    status = ErrnoFailure("writing the output failed");
  }
  return status;
}

}  // namespace tce
