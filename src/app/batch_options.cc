#include "app/batch_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>

#include "base/help_topics.h"
#include "base/run_settings.h"
#include "history/since.h"

namespace tce {
namespace {

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

}  // namespace

const char kBatchUsageText[] =
    "usage: tarvex-compest-batch --database NAME [--database NAME ...]\n"
    "         [--all-databases] [--jobs N] [--user NAME] "
    "[--password-file FILE]\n"
    "         [--min-compression PCT] [--min-size MB] [--ignore-no-stats]\n"
    "         [--column-cardinality] [--row] [--bytes] [--comma]\n"
    "         [--owners LIST] [--owners-file FILE] [--tables LIST]\n"
    "         [--tables-file FILE] [--columns] [--explain] [--json]\n"
    "         [--summary] [--plan [--plan-margin PCT] "
    "[--plan-threshold PCT]]\n"
    "         [--output FILE] [--report FILE.html]\n"
    "         [--history FILE [--since last|DATE|RUN]]\n"
    "       tarvex-compest-batch --report FILE.html --report-from A.json "
    "[B.json ...]\n"
    "         [--history FILE]\n"
    "       tarvex-compest-batch --history FILE [--import A.json ...] "
    "[--prune N] [--list]\n"
    "       tarvex-compest-batch --help | --version\n"
    "The password is read from --password-file, asked for on a terminal, or\n"
    "taken from the first line of standard input.\n";

namespace {

// The options that are switches, and those that take a text.
struct Switch {
  const char* name;
  bool BatchOptions::*field;
};
constexpr Switch kSwitches[] = {
    {"--ignore-no-stats", &BatchOptions::ignore_no_stats},
    {"--column-cardinality", &BatchOptions::column_cardinality},
    {"--row", &BatchOptions::row},
    {"--bytes", &BatchOptions::bytes},
    {"--comma", &BatchOptions::comma},
    {"--columns", &BatchOptions::columns},
    {"--json", &BatchOptions::json},
    {"--summary", &BatchOptions::summary},
    {"--plan", &BatchOptions::plan},
    {"--explain", &BatchOptions::explain},
    {"--all-databases", &BatchOptions::all_databases},
    {"--list", &BatchOptions::list},
};

// The options that take a whole number, with its range.
struct NumberOption {
  const char* name;
  int BatchOptions::*field;
  int low, high;
  const char* needs;
};
constexpr NumberOption kNumberOptions[] = {
    {"--min-compression", &BatchOptions::min_compression, 0, 100,
     "--min-compression needs a whole number from 0 to 100"},
    {"--min-size", &BatchOptions::min_size, 0, 100,
     "--min-size needs a whole number of megabytes from 0 to 100"},
    {"--plan-margin", &BatchOptions::plan_margin, 0, 100,
     "--plan-margin needs a whole number of points from 0 to 100"},
    {"--plan-threshold", &BatchOptions::plan_threshold, 0, 100,
     "--plan-threshold needs a whole number from 0 to 100"},
    {"--jobs", &BatchOptions::jobs, 1, 64,
     "--jobs needs a whole number from 1 to 64"},
    {"--prune", &BatchOptions::prune, 1, 1000000,
     "--prune needs the number of runs to keep of each database, 1 or more"},
};

struct TextOption {
  const char* name;
  std::string BatchOptions::*field;
  const char* needs;
};
constexpr TextOption kTextOptions[] = {
    {"--user", &BatchOptions::user, "--user needs a name"},
    {"--owners", &BatchOptions::owners, "--owners needs a list"},
    {"--tables", &BatchOptions::tables, "--tables needs a list"},
};

// The options that name a file.
struct FileOption {
  const char* name;
  std::optional<std::string> BatchOptions::*field;
};
constexpr FileOption kFileOptions[] = {
    {"--output", &BatchOptions::output},
    {"--password-file", &BatchOptions::password_file},
    {"--report", &BatchOptions::report},
    {"--owners-file", &BatchOptions::owners_file},
    {"--tables-file", &BatchOptions::tables_file},
    {"--history", &BatchOptions::history},
};

// Why the history's options cannot go together, or null.
const char* HistoryInconsistency(const BatchOptions& options) {
  const bool history_only = HistoryOnly(options);
  if ((!options.since.empty() || history_only) && !options.history)
    return "--since, --import, --prune and --list need --history FILE";
  if (history_only) {
    if (!options.databases.empty() || !options.report_from.empty() ||
        options.report || !options.since.empty())
      return "--import, --prune and --list work on the history alone; they "
             "take no --database, --report, --report-from or --since";
    return nullptr;
  }
  if (!options.since.empty() && !options.report_from.empty())
    return "--since compares a run with an earlier one; it takes no "
           "--report-from";
  if (!options.since.empty() && options.columns)
    return "--columns lists the results' columns, not the changes";
  return nullptr;
}

// Why the options cannot go together, or null.
const char* Inconsistency(const BatchOptions& options) {
  if (const char* why = HistoryInconsistency(options)) return why;
  if (HistoryOnly(options)) return nullptr;
  if (!options.report_from.empty()) {
    if (!options.report) return "--report-from needs --report FILE.html";
    if (!options.databases.empty())
      return "--report-from reads earlier runs; it takes no --database";
    return nullptr;
  }
  if (options.database.empty()) return "--database is required";
  if (options.plan && options.columns)
    return "--columns lists the results' columns, not the plan's";
  return nullptr;
}

}  // namespace

namespace {

// Reads the files after the option at `*i`, up to the next option: the
// reason they cannot be read, or empty.
std::string ReadFiles(int argc, char** argv, int* i,
                      std::vector<std::string>& files) {
  const std::string arg = argv[*i];
  while (*i + 1 < argc && std::string_view(argv[*i + 1]).rfind("--", 0) != 0)
    files.push_back(argv[++*i]);
  return files.empty() ? arg + " needs one or more JSON files" : "";
}

// Reads the argument at `*i` (and the values it takes) into `options`:
// the reason it cannot be read, or empty.
std::string ReadArgument(int argc, char** argv, int* i, BatchOptions& options) {
  const std::string arg = argv[*i];
  auto value = [&](std::string* out) {
    if (*i + 1 >= argc) return false;
    *out = argv[++*i];
    return true;
  };
  auto is = [&](const char* name) { return arg == name; };
  if (const auto* flag =
          std::find_if(std::begin(kSwitches), std::end(kSwitches),
                       [&](const Switch& s) { return is(s.name); });
      flag != std::end(kSwitches)) {
    options.*(flag->field) = true;
    return {};
  }
  if (const auto* option =
          std::find_if(std::begin(kTextOptions), std::end(kTextOptions),
                       [&](const TextOption& o) { return is(o.name); });
      option != std::end(kTextOptions)) {
    return value(&(options.*(option->field))) ? "" : option->needs;
  }
  std::string text;
  if (const auto* number =
          std::find_if(std::begin(kNumberOptions), std::end(kNumberOptions),
                       [&](const NumberOption& o) { return is(o.name); });
      number != std::end(kNumberOptions)) {
    const bool read = value(&text) &&
                      ReadWholeNumber(text, number->low, number->high,
                                      &(options.*(number->field)));
    return read ? "" : number->needs;
  }
  if (is("--database")) {
    if (!value(&text)) return "--database needs a name";
    if (options.databases.empty()) options.database = text;
    options.databases.push_back(text);
    return {};
  }
  if (is("--report-from") || is("--import"))
    return ReadFiles(argc, argv, i,
                     is("--import") ? options.import : options.report_from);
  if (is("--since")) {
    Since since;
    if (!value(&text) || !ParseSince(text, &since))
      return "--since needs last, a date (2026-12-09, or with a time "
             "2026-12-09T05:41) or a run's id";
    options.since = text;
    return {};
  }
  if (const auto* file =
          std::find_if(std::begin(kFileOptions), std::end(kFileOptions),
                       [&](const FileOption& o) { return is(o.name); });
      file != std::end(kFileOptions)) {
    if (!value(&text)) return arg + " needs a file";
    options.*(file->field) = text;
    return {};
  }
  if (is("--password") || arg.rfind("--password=", 0) == 0)
    return "the password is never taken from the command line";
  return "unknown argument " + arg;
}

}  // namespace

std::optional<BatchOptions> ParseBatchArguments(int argc, char** argv) {
  BatchOptions options;
  auto fail = [](const std::string& why) -> std::optional<BatchOptions> {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n%s", why.c_str(),
                 kBatchUsageText);
    return std::nullopt;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      if (arg == "--version")
        std::printf("tarvex-compest-batch %s\n", kProgramVersion);
      else
        std::fputs(kBatchUsageText, stdout);
      options.exit_now = true;
      return options;
    }
    const std::string why = ReadArgument(argc, argv, &i, options);
    if (!why.empty()) return fail(why);
  }
  if (const char* why = Inconsistency(options)) return fail(why);
  return options;
}

std::vector<NamedFile> NamedFiles(const BatchOptions& options) {
  std::vector<NamedFile> files;
  for (const FileOption& file : kFileOptions) {
    if (const auto& path = options.*(file.field)) {
      files.push_back({file.name, *path});
    }
  }
  for (const std::string& path : options.report_from) {
    files.push_back({"--report-from", path});
  }
  for (const std::string& path : options.import) {
    files.push_back({"--import", path});
  }
  return files;
}

bool HistoryOnly(const BatchOptions& options) {
  return !options.import.empty() || options.prune > 0 || options.list;
}

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

}  // namespace tce
