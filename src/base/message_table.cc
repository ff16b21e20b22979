#include "base/message_table.h"

#include <cstdint>

#include "base/number_text.h"
#include "base/text_file.h"
#include "base/text_util.h"

namespace tce {

void MessageTable::LoadBuiltInTexts() {
  struct BuiltIn {
    int entry;
    const char* text;
  };
  static const BuiltIn kBuiltIn[] = {
      {1, "Tarvex Compression Estimator"},
      {2,
       "Copyright (c) 2009 Tarvex Database Tools Group. All rights reserved."},
      {3, "Continue"},
      {4, "Exit"},
      {10, "Disclaimer"},
      {11,
       "Welcome to the Tarvex Compression Estimator. This tool estimates how "
       "much space the compression feature of your Tarvex server would save, "
       "table by table and column by column. It works from the statistics in "
       "the system catalog alone and never reads a data page, so it is quick "
       "and safe to run on a production system. The figures are estimates: "
       "only the server's own compression estimation tool, run on the table "
       "itself, gives exact results."},
      {20, "Connection"},
      {21,
       "In order to calculate the potential compression of tables within this "
       "system, the program must be connected to a database. The program does "
       "not create any temporary tables on the database system. It only needs "
       "access to the SYSTABLES and SYSCOLUMNS tables. Once the program has "
       "connected to the database, you can refine the tables and schemas that "
       "will be selected in the Options panel. Hit CONTINUE to connect to the "
       "database."},
      {22, "Database"},
      {23, "Userid"},
      {24, "Password"},
      {25, "Options"},
      {26,
       "The default settings below will return all tables within the connected "
       "database, along with the potential compression that can be achieved. "
       "You can change various settings below to reduce the amount of tables "
       "returned. In particular, the OWNERS and TABLES text boxes will let you "
       "restrict the names of the objects returned. More information on each "
       "option is available by clicking the information icons. "},
      {27, "Minimum Compression (%)"},
      {28, "Minimum Table Size (M)"},
      {29, "Statistics Level"},
      {30, "Show all tables"},
      {31, "Ignore tables with no statistics"},
      {32, "Cardinality Estimates"},
      {33, "Cardinality based on max value for similar data types"},
      {34, "Cardinality based on indiividual column only"},
      {35, "Export Delimiter"},
      {36, "Tab Delimiter"},
      {37, "Command Delimiter"},
      {38, "Schemas"},
      {39, "Tables"},
      {40, "Compression Estimate"},
      {41, "Use Page compression estimates"},
      {42, "Use Row compression estimates"},
      {43, "Results"},
      {44, "Compression Details"},
      {45, "Table Details"},
      {46, "Savings Display"},
      {47, "Show Byte savings"},
      {48, "Show Page Savings"},
      {60, "Size(K)"},
      {61, "Comp(K)"},
      {62, "%Saved"},
      {63, "Count"},
      {64, "Column"},
      {65, "Table"},
      {66, "Schema"},
      {67, "Type"},
      {68, "Bytes"},
      {70, " (No statistics available)"},
      {71, "Pages"},
      {72, "Comp Pages"},
      {73, "Page Size"},
      {80, "You need to supply a database to connect to."},
      {81, "Error connecting to the database: "},
      {82, "No tables or schemas found meeting your criteria."},
      {83, "Error retrieving table information"},
  };
  for (const BuiltIn& built_in : kBuiltIn)
    entries_[built_in.entry] = built_in.text;
  LoadAddedTexts(entries_);
}

void MessageTable::ReadMessageFile(const std::string& path) {
  ReadTextLines(path, [&](std::string_view raw) {
    const std::string_view line = StripCommentsAndBlanks(raw);
    const size_t comma = line.find(',');
    if (line.empty() || comma == std::string_view::npos) return;
    const std::optional<int64_t> number = LenientInteger(line.substr(0, comma));
    const bool specified = number && *number >= 1 && *number <= 99;
    const bool added = number && *number >= kFirstAddedMessage &&
                       *number <= kLastAddedMessage;
    if (!specified && !added) return;
    entries_[static_cast<size_t>(*number)] =
        std::string(TrimBlanks(line.substr(comma + 1)));
  });
}

const std::string& MessageTable::operator[](Msg entry) const {
  static const std::string kEmpty;
  const int n = static_cast<int>(entry);
  if (n < 1 || n > kSize) return kEmpty;
  return entries_[static_cast<size_t>(n)];
}

void MessageTable::Set(Msg entry, std::string text) {
  const int n = static_cast<int>(entry);
  if (n >= 1 && n <= kSize) entries_[static_cast<size_t>(n)] = std::move(text);
}

std::string Fill(std::string_view text,
                 std::initializer_list<std::string> figures) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t n = i + 1 < text.size() && text[i] == '%' &&
                             text[i + 1] >= '1' && text[i + 1] <= '9'
                         ? static_cast<size_t>(text[i + 1] - '1')
                         : SIZE_MAX;
    if (n == SIZE_MAX) {
      out += text[i];
      continue;
    }
    if (n < figures.size()) out += *(figures.begin() + n);
    ++i;
  }
  return out;
}

const std::vector<ScreenText>& StartupScreenTexts() {
  using T = ScreenTextTarget;
  using C = Control;
  static const std::vector<ScreenText> kTexts = {
      {T::kWindowCaption, C::kMainWindow, -1, Msg::kProgramTitle, 0},
      {T::kCaption, C::kTextCopyright, -1, Msg::kCopyright, 0},
      {T::kCaption, C::kExitAll, -1, Msg::kExit, 0},
      {T::kCaption, C::kDoContinue, -1, Msg::kContinue, 0},
      {T::kTabCaption, C::kTabs, 0, Msg::kDisclaimer, 0},
      {T::kCaption, C::kTitle, 0, Msg::kDisclaimer, 0},
      {T::kTabCaption, C::kTabs, 1, Msg::kConnection, 0},
      {T::kCaption, C::kTitle, 1, Msg::kConnection, 0},
      {T::kTabCaption, C::kTabs, 2, Msg::kOptions, 0},
      {T::kCaption, C::kTitle, 2, Msg::kOptions, 0},
      {T::kTabCaption, C::kTabs, 3, Msg::kResults, 0},
      {T::kCaption, C::kTitle, 3, Msg::kResults, 0},
      {T::kCaption, C::kTextHelp, 0, Msg::kDisclaimerIntro, 0},
      {T::kCaption, C::kTextHelp, 1, Msg::kConnectionIntro, 0},
      {T::kCaption, C::kTextHelp, 2, Msg::kOptionsIntro, 0},
      {T::kCaption, C::kExportDelimFrame, -1, Msg::kExportDelimiter, 0},
      {T::kCaption, C::kDelimTab, -1, Msg::kTabDelimiter, 0},
      {T::kCaption, C::kDelimComma, -1, Msg::kCommaDelimiter, 0},
      {T::kCaption, C::kSchemaListFrame, -1, Msg::kSchemas, 0},
      {T::kCaption, C::kTableListFrame, -1, Msg::kTables, 0},
      {T::kCaption, C::kResultsFrame, -1, Msg::kResults, 0},
      {T::kCaption, C::kCompressionDetailsFrame, -1, Msg::kCompressionDetails, 0},
      {T::kCaption, C::kDetailsFrame, -1, Msg::kTableDetails, 0},
      {T::kGridHeader, C::kTableInfo, 0, Msg::kColumn, 1300},
      {T::kGridHeader, C::kTableInfo, 1, Msg::kType, 1150},
      {T::kGridHeader, C::kTableInfo, 2, Msg::kBytes, 700},
      {T::kGridHeader, C::kTableInfo, 3, Msg::kSaved, 700},
  };
  return kTexts;
}

}  // namespace tce
