// The controls of the main window that the program's logic names: the
// wizard's view talks about them, and start-up puts screen texts on them.
// Each has its window-system name (its object name); an element of a
// control array is named after the array with "_" and its index.
#ifndef TCE_BASE_CONTROLS_H_
#define TCE_BASE_CONTROLS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tce {

enum class Control : uint8_t {
  kMainWindow,
  kTabs,
  // Control arrays, one element per tab.
  kDoContinue,
  kExitAll,
  kTitle,
  kTextHelp,
  kTextCopyright,
  // The connection panel.
  kInputDatabase,
  kInputUserid,
  kInputPassword,
  // The options panel.
  kOptionsFrame,
  kCompValue,
  kMinTabSizeText,
  kStatsIgnore,
  kStatsAll,
  kMaxCard,
  kColumnCard,
  kPCTPage,
  kPCTRow,
  kOptPageSize,
  kOptRowSize,
  kDelimTab,
  kDelimComma,
  kExportDelimFrame,
  kSchemaListFrame,
  kTableListFrame,
  kSchemaSelect,
  kTableSelect,
  // The results panel.
  kResultsFrame,
  kCompressionDetailsFrame,
  kDetailsFrame,
  kTableInfo,
  kCount
};

// The control's object name ("DoContinue" for the array).
std::string_view ControlName(Control control);
// Whether the control is an array with one element per tab.
bool IsControlArray(Control control);
// The object name of a control, or of element `index` of an array
// ("DoContinue_2").
std::string ControlObjectName(Control control, int index = -1);

}  // namespace tce

#endif  // TCE_BASE_CONTROLS_H_
