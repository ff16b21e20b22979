#include "app/batch_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "wizard/wizard.h"

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
    "usage: tarvex-compest-batch --database NAME [--user NAME] "
    "[--password-file FILE]\n"
    "         [--min-compression PCT] [--min-size MB] [--ignore-no-stats]\n"
    "         [--column-cardinality] [--row] [--bytes] [--comma]\n"
    "         [--owners LIST] [--tables LIST] [--columns] [--json] "
    "[--summary]\n"
    "         [--output FILE]\n"
    "       tarvex-compest-batch --help | --version\n"
    "The password is read from --password-file, asked for on a terminal, or\n"
    "taken from the first line of standard input.\n";

std::optional<BatchOptions> ParseBatchArguments(int argc, char** argv) {
  BatchOptions options;
  auto fail = [](const std::string& why) -> std::optional<BatchOptions> {
    std::fprintf(stderr, "tarvex-compest-batch: %s\n%s", why.c_str(),
                 kBatchUsageText);
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
      std::fputs(kBatchUsageText, stdout);
      options.exit_now = true;
      return options;
    } else if (arg == "--version") {
      std::puts("tarvex-compest-batch 1.0.0");
      options.exit_now = true;
      return options;
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
    } else if (arg == "--summary") {
      options.summary = true;
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
