#include "base/controls.h"

namespace tce {
namespace {

constexpr std::string_view kNames[] = {
    "FormCompression",
    "TBS",
    "DoContinue",
    "ExitAll",
    "Title",
    "textHelp",
    "textcopyright",
    "InputDatabase",
    "InputUserid",
    "InputPassword",
    "tab3CompressOptions",
    "CompValue",
    "MinTabSizeText",
    "StatsIgnore",
    "StatsAll",
    "MaxCard",
    "ColumnCard",
    "PCTPage",
    "PCTRow",
    "OptPageSize",
    "OptRowSize",
    "DelimTab",
    "DelimComma",
    "tab3ExportDelim",
    "tab3SchemaList",
    "tab3tablelist",
    "SchemaSelect",
    "TableSelect",
    "tab4Schemas",
    "tab4CompressionDetails",
    "tab4Details",
    "TableInfo",
};
static_assert(std::size(kNames) == static_cast<size_t>(Control::kCount));

}  // namespace

std::string_view ControlName(Control control) {
  return kNames[static_cast<size_t>(control)];
}

bool IsControlArray(Control control) {
  return control >= Control::kDoContinue && control <= Control::kTextCopyright;
}

std::string ControlObjectName(Control control, int index) {
  std::string name(ControlName(control));
  if (index >= 0) name += "_" + std::to_string(index);
  return name;
}

}  // namespace tce
