// A table's change in words for people: the report's cells and a results
// row's tooltip in the windows. The words come from the message table.
#ifndef TCE_HISTORY_CHANGE_TEXT_H_
#define TCE_HISTORY_CHANGE_TEXT_H_

#include <cstdint>
#include <string>
#include <unordered_map>

#include "base/message_table.h"
#include "history/changes.h"
#include "history/since.h"

namespace tce {

// The kinds' words, joined by ", ": "grown, more rows".
std::string KindWords(uint32_t kinds, const MessageTable& messages);

// The sentence that says which settings two runs differ in ("The two runs
// were made with different settings: cardinality: max \u2192 column."), or
// empty when they agree.
std::string SettingsSentence(const Changes& changes, const MessageTable& m);

// What changed, figures and all: "grown, more rows: 1.2 GB to 1.5 GB,
// rows 1,000 to 2,000, saving 40.0 % to 42.0 %".
std::string ChangeDetail(const TableChange& change,
                         const MessageTable& messages);

// The changes of one run since the last one, by table, for the tooltips
// of the rows of that run.
class ChangeNotes {
 public:
  ChangeNotes() = default;
  explicit ChangeNotes(SinceResult since);

  // The tooltip's line for a table of the run the notes are of; empty for
  // any other table, or when there was no earlier run.
  std::string TipFor(const TableRecord& table,
                     const MessageTable& messages) const;

 private:
  SinceResult since_;
  std::unordered_map<const TableRecord*, size_t> changed_;
};

}  // namespace tce

#endif  // TCE_HISTORY_CHANGE_TEXT_H_
