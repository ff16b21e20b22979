#include "analysis/analysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/catalog_rows.h"
#include "db/catalog_query.h"
#include "base/number_text.h"
#include "base/text_util.h"

namespace tce {
namespace {

constexpr char kUnmarked[] = "o";
constexpr char kMarkFont[] = "Wingdings";

// A number as the grid carries it: a leading blank unless negative.
std::string Cell(double value) { return WithLeadingBlank(FormatNumber(value)); }
std::string Cell(Fixed4 value) { return WithLeadingBlank(value.ToText()); }

// Keeps the grid's observers quiet until the end of a bulk change.
class Batch {
 public:
  explicit Batch(GridModel& grid) : grid_(grid) { grid_.BeginBatch(); }
  ~Batch() { grid_.EndBatch(); }

 private:
  GridModel& grid_;
};

}  // namespace

std::string ResultsHeaderLine(const MessageTable& messages,
                              const RunSettings& settings,
                              std::string_view delimiter, bool leading) {
  const bool pages = settings.ShowPageSavings;
  const int entries[] = {66, 65, 63, pages ? 71 : 60, pages ? 72 : 61, 62, 73};
  std::string line = leading ? std::string(delimiter) : std::string();
  for (size_t i = 0; i < std::size(entries); ++i) {
    if (i > 0) line += delimiter;
    line += messages[entries[i]];
  }
  return line;
}

CellColour SavingColour(Fixed4 pct) {
  if (pct < Fixed4::FromInt(20)) return CellColour::Rgb(255, 0, 0);
  if (pct < Fixed4::FromInt(50)) return CellColour::Rgb(255, 255, 0);
  return CellColour::Rgb(0, 255, 0);
}

void LayOutResultsGrid(GridModel& grid, const std::string& header) {
  using A = ColumnAlignment;
  static constexpr A kAlignments[] = {A::kCentre, A::kLeft,  A::kLeft,
                                      A::kRight,  A::kRight, A::kRight,
                                      A::kRight,  A::kRight};
  static constexpr int kWidths[] = {400,  1500, 1500, 1400,
                                    1400, 1400, 900,  900};
  grid.AddItem(header, 0);
  for (int col = 0; col < 8; ++col) {
    grid.SetColAlignment(col, kAlignments[col]);
    grid.SetColWidth(col, kWidths[col]);
  }
  grid.RemoveItem(1);
}

void Analysis::EmptyAndLayOutGrids() {
  GridModel& main = c_.results_grid;
  GridModel& large = c_.large_grid;
  // Row 1 removed while more than one row is left, done at once.
  if (c_.settings.LargeResultsShown) {
    large.SetVisible(false);
    large.SetFixedRows(0);
    large.TruncateRows(1);
  } else {
    main.SetVisible(false);
    main.SetFixedRows(0);
    large.SetFixedRows(0);
    // The large grid loses as many rows as the main grid (fewer when it has
    // fewer to give).
    const int removed = main.Rows() - 1;
    main.TruncateRows(1);
    large.TruncateRows(std::max(1, large.Rows() - removed));
  }
  const std::string header =
      ResultsHeaderLine(c_.messages, c_.settings, "\t", true);
  if (!c_.settings.LargeResultsShown) LayOutResultsGrid(main, header);
  LayOutResultsGrid(large, header);
}

bool Analysis::RunAnalysis() {
  if (running_) return false;
  if (!c_.settings.SettingsChanged) return true;
  running_ = true;
  query_failed_ = false;
  const Reporter& reporter = c_.reporter;
  DesktopPort& desktop = reporter.desktop();
  desktop.SetWaitCursor(true);

  const std::string table_clause =
      BuildFilterClause("T.TABNAME", c_.settings.TableFilter);
  const std::string owner_clause =
      BuildFilterClause("T.OWNER", c_.settings.OwnerFilter);
  const std::string query =
      BuildCatalogQuery(owner_clause, table_clause,
                        c_.connection.PageSizeExpression, c_.settings);
  if (!c_.statements.ExecuteStatement(query)) {
    reporter.Log("Query", "Error retrieving records");
    query_failed_ = true;
    desktop.SetWaitCursor(false);
    running_ = false;
    return false;
  }

  c_.chart.visible = false;
  c_.chart.caption.clear();
  c_.chart.Changed();
  {
    Batch main_batch(c_.results_grid);
    Batch large_batch(c_.large_grid);
    EmptyAndLayOutGrids();

    tables_emitted_ = 0;
    ColumnList& columns = c_.estimate.TableColumns;
    columns.Clear();
    std::string owner, table;
    int tick = 0;
    bool done = false;
    reporter.Log("Query", "Reading result set");
    while (!done) {
      bool boundary = false;
      if (tables_emitted_ % 10 == 0) {
        ++tick;
        c_.progress.Set(tick, "Records: " + std::to_string(tables_emitted_));
        if (tick >= 100) tick = 0;
        desktop.ProcessPendingEvents();
      }
      if (stop_requested_) {
        c_.statements.CloseStatement();
        done = boundary = true;
      } else if (!c_.statements.FetchRow(false)) {
        done = boundary = true;
      } else if (c_.statements.StatementResult(kOwnerColumn) != owner ||
                 c_.statements.StatementResult(kTableColumn) != table) {
        boundary = true;
      } else {
        FillColumnRow(c_.statements, columns.Append(), reporter);
        continue;
      }
      if (!owner.empty()) EmitTable(owner, table);
      if (!done) {
        columns.Clear();
        owner = c_.statements.StatementResult(kOwnerColumn);
        table = c_.statements.StatementResult(kTableColumn);
        FillColumnRow(c_.statements, columns.Append(), reporter);
      }
    }

    GridModel& shown =
        c_.settings.LargeResultsShown ? c_.large_grid : c_.results_grid;
    if (tables_emitted_ == 0) {
      c_.settings.SettingsChanged = true;
      shown.SetVisible(true);
    } else {
      if (!c_.settings.LargeResultsShown) {
        c_.results_grid.SetFixedRows(1);
        c_.results_grid.SetVisible(true);
      }
      c_.large_grid.SetFixedRows(1);
      if (c_.settings.LargeResultsShown) c_.large_grid.SetVisible(true);
      c_.settings.SettingsChanged = false;
    }
  }
  c_.progress.Set(0, "");
  desktop.SetWaitCursor(false);
  running_ = false;
  stop_requested_ = false;
  return tables_emitted_ > 0;
}

void Analysis::EmitTable(const std::string& owner, const std::string& table) {
  const Reporter& reporter = c_.reporter;
  if (reporter.debug()) {
    reporter.WriteLog("-------", "");
    reporter.WriteLog(
        "Compute",
        "Calculating compression on Owner=" + std::string(TrimSpaces(owner)) +
            " Table=" + std::string(TrimSpaces(table)));
  }
  const Fixed4 pct = c_.estimator.Compute(c_.estimate);
  if (pct < Fixed4::FromInt(c_.settings.MinCompressionPct)) return;
  ++tables_emitted_;

  const CatalogColumnRow& first = c_.estimate.TableColumns[0];
  double size = 0;
  double compressed = 0;
  if (first.RowCount > Fixed4()) {
    if (c_.settings.ShowPageSavings) {
      size = first.PagesUsed.ToDouble();
      compressed = std::floor((100.0 - pct.ToDouble()) *
                              (first.PagesUsed.ToDouble() / 100.0));
    } else {
      const double kilobytes = first.RowCount.ToDouble() / 1024.0;
      size = std::floor(c_.estimate.RowLength.ToDouble() * kilobytes);
      compressed =
          std::floor(c_.estimate.CompressedLength.ToDouble() * kilobytes);
    }
    if (compressed == 0 && size > 0) compressed = 1;
  }
  std::string line = kUnmarked;
  line += '\t';
  line += owner;
  line += '\t';
  line += table;
  line += '\t';
  line += Cell(first.RowCount);
  line += '\t';
  line += Cell(size);
  line += '\t';
  line += Cell(compressed);
  line += '\t';
  line += Cell(std::floor(pct.ToDouble()));
  line += '\t';
  line += Cell(static_cast<double>(first.PageSize));
  if (!c_.settings.LargeResultsShown) AppendRow(c_.results_grid, line, pct);
  AppendRow(c_.large_grid, line, pct);
}

void Analysis::AppendRow(GridModel& grid, const std::string& line, Fixed4 pct) {
  grid.AddItem(line);
  grid.SetRow(grid.Rows() - 1);
  grid.SetCol(0);
  grid.SetCellFontName(kMarkFont);
  grid.SetCellBackColor(CellColour::ButtonFace());
  grid.SetCol(6);
  grid.SetCellBackColor(SavingColour(pct));
}

}  // namespace tce
