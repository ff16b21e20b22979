#include "model/grid_columns.h"

#include "base/number_text.h"
#include "model/figures.h"
#include "model/format.h"

namespace tce {
namespace {

// A number as a grid cell: a leading blank unless negative.
std::string Cell(double value) { return WithLeadingBlank(FormatNumber(value)); }

template <Msg kEntry>
Msg Fixed(const Shown&) {
  return kEntry;
}
Msg NoTip(const Shown&) { return Msg{0}; }
Msg NoHeader(const Shown&) { return Msg{0}; }

std::string NoText(const TableRecord&, const Shown&) { return {}; }
const std::string& Owner(const TableRecord& t) { return t.owner; }
const std::string& Table(const TableRecord& t) { return t.table; }
std::string OwnerText(const TableRecord& t, const Shown&) { return t.owner; }
std::string TableText(const TableRecord& t, const Shown&) { return t.table; }

double Count(const TableRecord& t, const Shown&) { return t.row_count.ToDouble(); }
std::string CountText(const TableRecord& t, const Shown&) {
  return WithLeadingBlank(t.row_count.ToText());
}
double Size(const TableRecord& t, const Shown& s) { return ShownSize(t, s.unit); }
double Compressed(const TableRecord& t, const Shown& s) {
  return ShownCompressed(t, s);
}
double Saved(const TableRecord& t, const Shown& s) {
  return SavedWholePct(t, s.method);
}
double PageSize(const TableRecord& t, const Shown&) { return t.page_size; }

template <double (*kNumber)(const TableRecord&, const Shown&)>
std::string NumberText(const TableRecord& t, const Shown& s) {
  return Cell(kNumber(t, s));
}

Msg SizeHeader(const Shown& s) {
  return s.unit == SizeUnit::kPages ? Msg::kPages : Msg::kSizeK;
}
Msg SizeTip(const Shown& s) {
  return s.unit == SizeUnit::kPages ? Msg::kSizePagesTip : Msg::kSizeKTip;
}
Msg CompressedHeader(const Shown& s) {
  return s.unit == SizeUnit::kPages ? Msg::kCompPages : Msg::kCompK;
}
Msg CompressedTip(const Shown& s) {
  return s.unit == SizeUnit::kPages ? Msg::kCompPagesTip : Msg::kCompKTip;
}

const ResultsColumn kResults[kResultColumns] = {
    {kMarkCol, NoHeader, NoTip, CellKind::kMark, CellAlign::kCentre, 400,
     false, NoText, nullptr, nullptr},
    {kOwnerCol, Fixed<Msg::kSchema>, NoTip, CellKind::kText, CellAlign::kLeft,
     1500, true, OwnerText, Owner, nullptr},
    {kTableCol, Fixed<Msg::kTable>, NoTip, CellKind::kText, CellAlign::kLeft,
     1500, true, TableText, Table, nullptr},
    {kCountCol, Fixed<Msg::kCount>, NoTip, CellKind::kNumber,
     CellAlign::kRight, 1400, false, CountText, nullptr, Count},
    {kSizeCol, SizeHeader, SizeTip, CellKind::kNumber, CellAlign::kRight,
     1400, false, NumberText<Size>, nullptr, Size},
    {kCompressedCol, CompressedHeader, CompressedTip, CellKind::kNumber,
     CellAlign::kRight, 1400, false, NumberText<Compressed>, nullptr,
     Compressed},
    {kSavedCol, Fixed<Msg::kSaved>, Fixed<Msg::kSavedTip>, CellKind::kNumber,
     CellAlign::kRight, 900, false, NumberText<Saved>, nullptr, Saved},
    {kPageSizeCol, Fixed<Msg::kPageSize>, NoTip, CellKind::kNumber,
     CellAlign::kRight, 900, false, NumberText<PageSize>, nullptr, PageSize},
};

// ---- The plan list. ----

template <Msg kEntry>
Msg PlanFixed(const PlanView&) {
  return kEntry;
}
Msg PlanNoTip(const PlanView&) { return Msg{0}; }
const std::string& PlanOwner(const PlanRow& r) { return r.table.owner; }
const std::string& PlanTable(const PlanRow& r) { return r.table.table; }
std::string PlanOwnerText(const PlanRow& r, const PlanView&) {
  return r.table.owner;
}
std::string PlanTableText(const PlanRow& r, const PlanView&) {
  return r.table.table;
}
double PlanCount(const PlanRow& r, const PlanView&) {
  return r.table.row_count.ToDouble();
}
std::string PlanCountText(const PlanRow& r, const PlanView&) {
  return r.table.row_count.ToText();
}
double PlanSize(const PlanRow& r, const PlanView&) {
  return AllocatedBytes(r.table);
}
std::string PlanSizeText(const PlanRow& r, const PlanView& v) {
  return ScreenBytes(PlanSize(r, v));
}
double PlanRowSaved(const PlanRow& r, const PlanView&) {
  return SavedWholePct(r.table, Method::kRow);
}
double PlanPageSaved(const PlanRow& r, const PlanView&) {
  return SavedWholePct(r.table, Method::kPage);
}
std::string PlanRowSavedText(const PlanRow& r, const PlanView& v) {
  return FormatNumber(PlanRowSaved(r, v));
}
std::string PlanPageSavedText(const PlanRow& r, const PlanView& v) {
  return FormatNumber(PlanPageSaved(r, v));
}
// Page first, then row, leave as is, no statistics.
double PlanAdvice(const PlanRow& r, const PlanView&) {
  return -static_cast<double>(r.line.recommendation);
}
std::string PlanAdviceText(const PlanRow&, const PlanView&) { return {}; }
double PlanSaved(const PlanRow& r, const PlanView&) {
  return r.line.saved_bytes;
}
std::string PlanSavedText(const PlanRow& r, const PlanView& v) {
  return ScreenBytes(PlanSaved(r, v));
}

const PlanColumn kPlan[] = {
    {kPlanOwnerCol, PlanFixed<Msg::kSchema>, PlanNoTip, CellKind::kText,
     CellAlign::kLeft, 1300, true, PlanOwnerText, PlanOwner, nullptr},
    {kPlanTableCol, PlanFixed<Msg::kTable>, PlanNoTip, CellKind::kText,
     CellAlign::kLeft, 1700, true, PlanTableText, PlanTable, nullptr},
    {kPlanCountCol, PlanFixed<Msg::kCount>, PlanNoTip, CellKind::kNumber,
     CellAlign::kRight, 1200, false, PlanCountText, nullptr, PlanCount},
    {kPlanSizeCol, PlanFixed<Msg::kPlanSize>, PlanFixed<Msg::kPlanSizeTip>,
     CellKind::kNumber, CellAlign::kRight, 1100, false, PlanSizeText, nullptr,
     PlanSize},
    {kPlanRowSavedCol, PlanFixed<Msg::kPlanRowSaved>, PlanNoTip,
     CellKind::kNumber, CellAlign::kRight, 1000, false, PlanRowSavedText,
     nullptr, PlanRowSaved},
    {kPlanPageSavedCol, PlanFixed<Msg::kPlanPageSaved>, PlanNoTip,
     CellKind::kNumber, CellAlign::kRight, 1000, false, PlanPageSavedText,
     nullptr, PlanPageSaved},
    // The recommendation's text is the window's (a message by its kind).
    {kPlanAdviceCol, PlanFixed<Msg::kPlanRecommendation>, PlanNoTip,
     CellKind::kNumber, CellAlign::kLeft, 1500, false, PlanAdviceText,
     nullptr, PlanAdvice},
    {kPlanSavedCol, PlanFixed<Msg::kPlanSaved>, PlanFixed<Msg::kPlanSavedTip>,
     CellKind::kNumber, CellAlign::kRight, 1100, false, PlanSavedText, nullptr,
     PlanSaved},
};

// ---- The table details. ----

template <Msg kEntry>
Msg DetailFixed(const DetailsView&) {
  return kEntry;
}
Msg DetailNoTip(const DetailsView&) { return Msg{0}; }
const std::string& DetailName(const ColumnDetail& d) { return d.name; }
const std::string& DetailType(const ColumnDetail& d) { return d.type; }
std::string DetailNameText(const ColumnDetail& d, const DetailsView&) {
  return d.name;
}
std::string DetailTypeText(const ColumnDetail& d, const DetailsView&) {
  return d.type;
}
double DetailBytes(const ColumnDetail& d, const DetailsView&) { return d.bytes; }
std::string DetailBytesText(const ColumnDetail& d, const DetailsView&) {
  return std::to_string(d.bytes);
}
double DetailSaved(const ColumnDetail& d, const DetailsView&) {
  return d.pct.ToDouble();
}
std::string DetailSavedText(const ColumnDetail& d, const DetailsView&) {
  return d.pct.ToText();
}
std::string DetailBasisText(const ColumnDetail& d, const DetailsView&) {
  return BasisText(d.basis, d.sample, d.rows);
}

const DetailsColumn kDetails[] = {
    {kDetailNameCol, DetailFixed<Msg::kColumn>, DetailNoTip, CellKind::kText,
     CellAlign::kLeft, 1300, true, DetailNameText, DetailName, nullptr},
    {kDetailTypeCol, DetailFixed<Msg::kType>, DetailNoTip, CellKind::kText,
     CellAlign::kLeft, 1150, false, DetailTypeText, DetailType, nullptr},
    {kDetailBytesCol, DetailFixed<Msg::kBytes>, DetailNoTip, CellKind::kNumber,
     CellAlign::kRight, 700, false, DetailBytesText, nullptr, DetailBytes},
    {kDetailSavedCol, DetailFixed<Msg::kSaved>, DetailNoTip, CellKind::kNumber,
     CellAlign::kRight, 700, false, DetailSavedText, nullptr, DetailSaved},
    {kDetailBasisCol, DetailFixed<Msg::kStatistics>, DetailNoTip,
     CellKind::kText, CellAlign::kLeft, 0, true, DetailBasisText, nullptr,
     nullptr},
};

}  // namespace

std::span<const ResultsColumn> ResultsColumns() { return kResults; }

std::string GridCellText(const TableRecord& table, Shown shown, int col) {
  if (col <= kMarkCol || col >= kResultColumns) return {};
  return kResults[col].text(table, shown);
}

std::array<std::string, 7> ResultsHeaderTexts(const MessageTable& messages,
                                              SizeUnit unit) {
  std::array<std::string, 7> texts;
  const Shown shown{Method::kPage, unit};
  for (size_t i = 0; i < texts.size(); ++i)
    texts[i] = messages[kResults[i + 1].header(shown)];
  return texts;
}
std::string ResultsHeaderLine(const MessageTable& messages, SizeUnit unit,
                              std::string_view delimiter, bool leading) {
  std::string line = leading ? std::string(delimiter) : std::string();
  const std::array<std::string, 7> texts = ResultsHeaderTexts(messages, unit);
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) line += delimiter;
    line += texts[i];
  }
  return line;
}

std::string ResultsCellTip(const TableRecord& table, Shown shown, int col,
                           PlanRule rule) {
  std::string tip = BasisSummary(table) + "\nRow length " +
                    table.row_length.ToText() + " bytes, compressed " +
                    table.compressed_length[shown.method].ToText() +
                    " bytes (" + MethodName(shown.method) + " compression).";
  if (col != kSavedCol) return tip;
  const PlanLine line = PlanFor(table, rule);
  tip += "\nPlan (page only with " + std::to_string(rule.margin) +
         " points more, from a saving of " + std::to_string(rule.threshold) +
         " %): " + std::string(RecommendationName(line.recommendation));
  if (line.saved_bytes > 0) {
    tip += std::string(" compression, saving ") + ScreenBytes(line.saved_bytes) +
           " (" + PercentText(line.better_pct) + ")";
  }
  return tip + ".";
}

std::span<const PlanColumn> PlanColumns() { return kPlan; }
std::span<const DetailsColumn> DetailsColumns() { return kDetails; }

}  // namespace tce
