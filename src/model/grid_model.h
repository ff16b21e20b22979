// GridModel: the presentation model of a results grid (and of the
// per-column grid): rows of cell texts, fixed rows, visibility, per-cell font
// name and background colour, column alignments and widths, a current cell.
// The Qt layer renders it and observes it through GridObserver: a reset for
// bulk changes, appended rows, and changed row ranges, never a signal per
// cell of a bulk change.
#ifndef TCE_MODEL_GRID_MODEL_H_
#define TCE_MODEL_GRID_MODEL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tce {

// A cell background: the grid's default, the system's button face, or RGB.
struct CellColour {
  enum Kind : uint8_t { kDefault, kButtonFace, kRgb };
  Kind kind = kDefault;
  uint8_t red = 0, green = 0, blue = 0;

  static CellColour Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return {kRgb, r, g, b};
  }
  static CellColour ButtonFace() { return {kButtonFace, 0, 0, 0}; }
  friend bool operator==(const CellColour&, const CellColour&) = default;
};

enum class ColumnAlignment { kLeft, kCentre, kRight };  // vertically centred

class GridObserver {
 public:
  virtual ~GridObserver() = default;
  // Anything may have changed: rows, texts, layout.
  virtual void GridReset() = 0;
  // Rows first .. first + count - 1 were appended at the end.
  virtual void GridRowsAppended(int first, int count) = 0;
  // Texts or formats of rows first .. last changed.
  virtual void GridRowsChanged(int first, int last) = 0;
};

class GridModel {
 public:
  struct Cell {
    std::string text;
    std::string font;  // empty: the grid's font
    CellColour background;
  };

  // A grid as it is designed: `rows` empty rows, `fixed_rows` of them fixed.
  explicit GridModel(int columns, int rows = 2, int fixed_rows = 1);

  int Cols() const { return columns_; }
  int Rows() const { return static_cast<int>(rows_.size()); }
  int FixedRows() const { return fixed_rows_; }
  void SetFixedRows(int rows);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  const std::string& Text(int row, int col) const;
  void SetText(int row, int col, std::string text);
  const Cell& CellAt(int row, int col) const;

  // Inserts a row made of `line` split at tabs (cells beyond the columns
  // are dropped), at `index`, or at the end when index < 0.
  void AddItem(std::string_view line, int index = -1);
  // Removes a row; false (and nothing changes) when it does not exist.
  bool RemoveItem(int row);
  // Removes every row from `keep` on, as RemoveItem(keep) repeated would.
  void TruncateRows(int keep);

  // The current cell, which the cell formatting acts on.
  int Row() const { return row_; }
  int Col() const { return col_; }
  void SetRow(int row) { row_ = row; }
  void SetCol(int col) { col_ = col; }
  void SetCellFontName(std::string font);
  void SetCellBackColor(CellColour colour);

  ColumnAlignment ColAlignment(int col) const;
  void SetColAlignment(int col, ColumnAlignment alignment);
  int ColWidth(int col) const;  // twips
  void SetColWidth(int col, int twips);

  // Moves whole rows first..last (cells with their formats) into the order
  // of `order`, a permutation of those row numbers.
  void ReorderRows(int first, const std::vector<int>& order);

  // Observation. Between BeginBatch and EndBatch no notification is sent;
  // EndBatch sends one reset when anything changed.
  void AddObserver(GridObserver* observer);
  void RemoveObserver(GridObserver* observer);
  void BeginBatch() { ++batch_depth_; }
  void EndBatch();

 private:
  bool ValidCell(int row, int col) const {
    return row >= 0 && row < Rows() && col >= 0 && col < columns_;
  }
  void NotifyReset();
  void NotifyAppended(int first, int count);
  void NotifyChanged(int first, int last);

  int columns_;
  std::vector<std::vector<Cell>> rows_;
  int fixed_rows_;
  bool visible_ = true;
  int row_ = 0;
  int col_ = 0;
  std::vector<ColumnAlignment> alignments_;
  std::vector<int> widths_;
  std::vector<GridObserver*> observers_;
  int batch_depth_ = 0;
  bool batch_dirty_ = false;
};

// The twips of the grid layout, converted by the Qt layer at the screen's
// resolution.
inline constexpr int kTwipsPerInch = 1440;

}  // namespace tce

#endif  // TCE_MODEL_GRID_MODEL_H_
