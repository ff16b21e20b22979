#include "app/batch.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/results_actions.h"
#include "wizard/app_state.h"
#include "base/number_text.h"
#include "base/text_util.h"
#include "wizard/wizard.h"

namespace tce {
namespace {

constexpr char kUsage[] =
    "usage: tarvex-compest-batch --database NAME [--user NAME] "
    "[--password-file FILE]\n"
    "         [--min-compression PCT] [--min-size MB] [--ignore-no-stats]\n"
    "         [--column-cardinality] [--row] [--bytes] [--comma]\n"
    "         [--owners LIST] [--tables LIST] [--columns] [--json] [--output "
    "FILE]\n"
    "The password is read from --password-file, asked for on a terminal, or\n"
    "taken from the first line of standard input.\n";

// Messages go to standard error; progress to it too, when it is a terminal.
class ConsoleDesktop : public DesktopPort {
 public:
  void ShowMessageBox(const std::string& title,
                      const std::string& text) override {
    EndProgressLine();
    if (title == "SQL Error") {
      std::fprintf(stderr, "SQL Error: %s\n", text.c_str());
    } else {
      std::fprintf(stderr, "%s\n", text.c_str());
    }
  }
  std::optional<std::string> AskSaveFileName(
      SaveDialog, const std::optional<std::string>&) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }

  void ShowProgress(const std::string& text) {
    if (!isatty(STDERR_FILENO)) return;
    if (text.empty()) {
      EndProgressLine();
      return;
    }
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    progress_shown_ = true;
  }
  void EndProgressLine() {
    if (!progress_shown_) return;
    std::fprintf(stderr, "\r%-30s\r", "");
    progress_shown_ = false;
  }

 private:
  bool progress_shown_ = false;
};

struct Options {
  std::string database;
  std::string user;
  std::optional<std::string> password_file;
  int min_compression = 0;
  int min_size = 0;
  bool ignore_no_stats = false;
  bool column_cardinality = false;
  bool row = false;
  bool bytes = false;
  bool comma = false;
  std::string owners;
  std::string tables;
  bool columns = false;
  bool json = false;
  std::optional<std::string> output;
};

bool ReadWholeNumber(const std::string& text, int low, int high, int* value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || parsed < low ||
      parsed > high) {
    return false;
  }
  *value = static_cast<int>(parsed);
  return true;
}

// Parses the arguments; nullopt (after a message) on a usage error.
std::optional<Options> ParseArguments(int argc, char** argv) {
  Options options;
  auto fail = [](const std::string& why) -> std::optional<Options> {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n%s", why.c_str(), kUsage);
    return std::nullopt;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--database") {
      if (!value(&options.database)) return fail("--database needs a name");
    } else if (arg == "--user") {
      if (!value(&options.user)) return fail("--user needs a name");
    } else if (arg == "--password-file") {
      if (!value(&text)) return fail("--password-file needs a file");
      options.password_file = text;
    } else if (arg == "--password" || arg.rfind("--password=", 0) == 0) {
      return fail("the password is never taken from the command line");
    } else if (arg == "--min-compression") {
      if (!value(&text) ||
          !ReadWholeNumber(text, 0, 100, &options.min_compression)) {
        return fail("--min-compression needs a whole number from 0 to 100");
      }
    } else if (arg == "--min-size") {
      if (!value(&text) || !ReadWholeNumber(text, 0, 100, &options.min_size)) {
        return fail(
            "--min-size needs a whole number of megabytes from 0 to 100");
      }
    } else if (arg == "--ignore-no-stats") {
      options.ignore_no_stats = true;
    } else if (arg == "--column-cardinality") {
      options.column_cardinality = true;
    } else if (arg == "--row") {
      options.row = true;
    } else if (arg == "--bytes") {
      options.bytes = true;
    } else if (arg == "--comma") {
      options.comma = true;
    } else if (arg == "--owners") {
      if (!value(&options.owners)) return fail("--owners needs a list");
    } else if (arg == "--tables") {
      if (!value(&options.tables)) return fail("--tables needs a list");
    } else if (arg == "--columns") {
      options.columns = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--output") {
      if (!value(&text)) return fail("--output needs a file");
      options.output = text;
    } else {
      return fail("unknown argument " + arg);
    }
  }
  if (options.database.empty()) return fail("--database is required");
  return options;
}

// The first line of a stream, without its line end.
std::string FirstLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> ReadPassword(const Options& options) {
  if (options.password_file) {
    std::ifstream in(*options.password_file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "tarvex-compest-batch: cannot read %s\n",
                   options.password_file->c_str());
      return std::nullopt;
    }
    return FirstLine(in);
  }
  if (!isatty(STDIN_FILENO)) return FirstLine(std::cin);
  std::fprintf(stderr, "Password: ");
  std::fflush(stderr);
  termios saved{};
  const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (terminal) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  const std::string password = FirstLine(std::cin);
  if (terminal) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::fprintf(stderr, "\n");
  return password;
}

// A comma-separated list as the options panel would store it.
std::string FilterList(const std::string& list) {
  std::string lines;
  for (char c : list) {
    if (c == ',') {
      lines += "\r\n";
    } else {
      lines += c;
    }
  }
  return JoinFilterLines(lines);
}

void ApplyOptions(const Options& options, RunSettings& settings) {
  settings.MinCompressionPct = static_cast<int16_t>(options.min_compression);
  settings.MinTableSizeMB = options.min_size;
  settings.IgnoreTablesWithoutStats = options.ignore_no_stats;
  settings.UseMaxCardinality = !options.column_cardinality;
  settings.EstimatePageCompression = !options.row;
  settings.ShowPageSavings = !options.bytes;
  settings.TabDelimited = !options.comma;
  settings.OwnerFilter = FilterList(options.owners);
  settings.TableFilter = FilterList(options.tables);
  settings.SettingsChanged = true;
}

// One column of a listed table, as the table details compute it.
struct ColumnLine {
  std::string owner, table, column, type;
  int32_t bytes;
  std::string saving;
};

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

// A grid cell's number for JSON: the trimmed text when it is a plain number.
std::string JsonNumber(const std::string& cell) {
  const std::string text(TrimBlanks(cell));
  if (text.empty()) return "null";
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return *end == '\0' ? text : JsonString(text);
}

bool WriteJson(std::FILE* out, const AppState& app,
               const std::vector<ColumnLine>& columns, bool with_columns) {
  const GridModel& grid = app.results_grid;
  const RunSettings& s = app.settings;
  std::string json =
      "{\n  \"database\": " + JsonString(app.connection.DatabaseName) + ",\n";
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
  const std::string header = ResultsHeaderLine(app.messages, s, "\t", false);
  size_t start = 0;
  for (int i = 0; i < 7; ++i) {
    const size_t tab = header.find('\t', start);
    json += (i > 0 ? ", " : "") + JsonString(header.substr(start, tab - start));
    start = tab + 1;
  }
  json += "],\n  \"tables\": [";
  for (int row = 1; row < grid.Rows(); ++row) {
    json += row > 1 ? ",\n    " : "\n    ";
    json += "{\"owner\": " + JsonString(TrimBlanks(grid.Text(row, 1))) +
            ", \"table\": " + JsonString(TrimBlanks(grid.Text(row, 2))) +
            ", \"count\": " + JsonNumber(grid.Text(row, 3)) +
            ", \"size\": " + JsonNumber(grid.Text(row, 4)) +
            ", \"compressed\": " + JsonNumber(grid.Text(row, 5)) +
            ", \"saved_pct\": " + JsonNumber(grid.Text(row, 6)) +
            ", \"page_size\": " + JsonNumber(grid.Text(row, 7)) + "}";
  }
  json += grid.Rows() > 1 ? "\n  ]" : "]";
  if (with_columns) {
    json += ",\n  \"columns\": [";
    for (size_t i = 0; i < columns.size(); ++i) {
      const ColumnLine& c = columns[i];
      json += i > 0 ? ",\n    " : "\n    ";
      json += "{\"owner\": " + JsonString(c.owner) +
              ", \"table\": " + JsonString(c.table) +
              ", \"column\": " + JsonString(c.column) +
              ", \"type\": " + JsonString(c.type) +
              ", \"bytes\": " + std::to_string(c.bytes) +
              ", \"saved_pct\": " + c.saving + "}";
    }
    json += columns.empty() ? "]" : "\n  ]";
  }
  json += "\n}\n";
  return std::fwrite(json.data(), 1, json.size(), out) == json.size();
}

bool WriteColumnLines(std::FILE* out, const AppState& app,
                      const std::vector<ColumnLine>& columns) {
  const std::string d = app.settings.TabDelimited ? "\t" : ",";
  const MessageTable& m = app.messages;
  std::string text = m[66] + d + m[65] + d + m[64] + d + m[67] + d + m[68] + d +
                     m[62] + "\r\n";
  for (const ColumnLine& c : columns) {
    text += c.owner + d + c.table + d + c.column + d + c.type + d +
            std::to_string(c.bytes) + d + c.saving + "\r\n";
  }
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

}  // namespace

int RunBatch(int argc, char** argv) {
  const std::optional<Options> options = ParseArguments(argc, argv);
  if (!options) return kBatchUsage;

  ConsoleDesktop desktop;
  AppState app(desktop);
  app.LoadConfiguration();
  app.LoadMessages();
  app.BuildStatistics();
  ResetToStartupValues(app.settings);
  ApplyOptions(*options, app.settings);
  app.progress.on_change = [&] { desktop.ShowProgress(app.progress.text); };

  const std::optional<std::string> password = ReadPassword(*options);
  if (!password) return kBatchUsage;
  if (app.connection.Connect(options->database, options->user, *password) !=
      0) {
    std::fprintf(stderr, "Connection failed.\n");
    return kBatchConnectionFailed;
  }
  const bool listed = app.analysis.RunAnalysis();
  desktop.EndProgressLine();
  if (!listed) {
    const bool failed = app.analysis.query_failed();
    if (!failed) std::fprintf(stderr, "%s\n", app.messages[82].c_str());
    app.connection.Disconnect();
    return failed ? kBatchQueryFailed : kBatchNothingListed;
  }

  std::vector<ColumnLine> columns;
  if (options->columns) {
    const ResultsContext context = app.results_context();
    const GridModel& grid = app.results_grid;
    for (int row = 1; row < grid.Rows(); ++row) {
      const std::string owner(TrimBlanks(grid.Text(row, 1)));
      const std::string table(TrimBlanks(grid.Text(row, 2)));
      if (!ReadTableColumns(context, owner, table)) {
        std::fprintf(stderr, "%s%s\n", app.messages[83].c_str(), table.c_str());
        continue;
      }
      for (const CatalogColumnRow& column :
           app.estimate.TableColumns.columns()) {
        columns.push_back({owner, table, column.ColumnName, column.TypeName,
                           column.ByteLength, column.CompressionPct.ToText()});
      }
    }
  }
  app.connection.Disconnect();

  std::FILE* out = stdout;
  if (options->output) {
    out = std::fopen(options->output->c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "tarvex-compest-batch: %s: %s\n",
                   options->output->c_str(), std::strerror(errno));
      return kBatchOutputFailed;
    }
  }
  bool ok = options->json ? WriteJson(out, app, columns, options->columns)
                          : WriteExportLines(out, app.results_grid,
                                             app.settings, app.messages) &&
                                (!options->columns ||
                                 WriteColumnLines(out, app, columns));
  if (std::fflush(out) != 0) ok = false;
  if (out != stdout && std::fclose(out) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "tarvex-compest-batch: writing the output failed\n");
    return kBatchOutputFailed;
  }
  return kBatchListed;
}

}  // namespace tce
