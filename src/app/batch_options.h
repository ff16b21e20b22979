// The command-line tool's arguments.
#ifndef TCE_APP_BATCH_OPTIONS_H_
#define TCE_APP_BATCH_OPTIONS_H_

#include <optional>
#include <string>
#include <vector>

namespace tce {

struct BatchOptions {
  std::string database;  // the first --database
  // Every --database in order; with all_databases, the server of the first
  // lists the rest.
  std::vector<std::string> databases;
  bool all_databases = false;
  int jobs = 0;  // databases at once; 0: the cores, at most 4
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
  // Files of owners and tables, one a line, for lists longer than a command
  // line holds; added to owners and tables once they are read.
  std::optional<std::string> owners_file;
  std::optional<std::string> tables_file;
  bool columns = false;
  bool json = false;
  bool summary = false;
  // What each figure comes from, in --columns lines and --json.
  bool explain = false;
  // The compression plan instead of the results list, with its rule.
  bool plan = false;
  int plan_margin = 10;
  int plan_threshold = 20;
  std::optional<std::string> output;
  // The HTML report: written from this run, or from earlier runs' --json
  // documents (report_from) without connecting.
  std::optional<std::string> report;
  std::vector<std::string> report_from;
  // The history of runs: every completed run is kept in it; --since writes
  // what changed since an earlier run instead of the list; --import,
  // --prune and --list work on the file alone.
  std::optional<std::string> history;
  std::string since;  // empty: none
  std::vector<std::string> import;
  int prune = 0;  // 0: none
  bool list = false;
  // --help or --version was answered: nothing else to do.
  bool exit_now = false;
};

// A file the command line names, with the option that names it.
struct NamedFile {
  std::string option;  // "--output", "--report-from" ...
  std::string path;    // as given
};

// Every file the options name: the outputs, the password file, the
// history and the inputs, each --report-from and --import document on its
// own.
std::vector<NamedFile> NamedFiles(const BatchOptions& options);

// Whether the options work on the history file alone, connecting to
// nothing: --import, --prune or --list.
bool HistoryOnly(const BatchOptions& options);

// The usage text that --help prints.
extern const char kBatchUsageText[];

// Parses the arguments; nullopt (after a message on standard error) on a
// usage error. --help and --version print their text and set exit_now.
std::optional<BatchOptions> ParseBatchArguments(int argc, char** argv);

// A comma-separated list as the options panel would store it.
std::string FilterList(const std::string& list);

}  // namespace tce

#endif  // TCE_APP_BATCH_OPTIONS_H_
