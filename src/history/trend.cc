#include "history/trend.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"
#include "history/run_totals.h"
#include "output/report.h"

namespace tce {
namespace {

TrendPoint PointOf(TimePoint started, const RunTotals& totals, Method method) {
  return {started, totals.size_bytes, totals.CompressedBytes(method)};
}

constexpr int kWidth = 640, kHeight = 220;
constexpr int kLeft = 80, kRight = 20, kTop = 12, kBottom = 44;

std::string Text(int x, int y, const char* anchor, const std::string& text) {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
         "\" font-size=\"11\" text-anchor=\"" + anchor + "\">" + Html(text) +
         "</text>";
}

struct Spot {
  int x, y;
};

// Where run `i` of `count` falls: x by its place, y by its share of top.
Spot SpotOf(size_t i, size_t count, double value, double top) {
  const int room_x = kWidth - kLeft - kRight;
  const int room_y = kHeight - kTop - kBottom;
  const int x = kLeft + (count == 1 ? room_x / 2
                                    : static_cast<int>(room_x * i / (count - 1)));
  const double share = top > 0 ? std::clamp(value / top, 0.0, 1.0) : 0;
  return {x, kTop + room_y - static_cast<int>(std::lround(room_y * share))};
}

// One figure's line (a dot for a single run).
std::string Line(const std::vector<TrendPoint>& points, double top,
                 double TrendPoint::*figure, const char* colour) {
  if (points.size() == 1) {
    const Spot s = SpotOf(0, 1, points[0].*figure, top);
    return "<circle r=\"4\" cx=\"" + std::to_string(s.x) + "\" cy=\"" +
           std::to_string(s.y) + "\" fill=\"" + colour + "\"/>";
  }
  std::string coordinates;
  for (size_t i = 0; i < points.size(); ++i) {
    const Spot s = SpotOf(i, points.size(), points[i].*figure, top);
    coordinates += (i == 0 ? "" : " ") + std::to_string(s.x) + "," +
                   std::to_string(s.y);
  }
  return "<polyline fill=\"none\" stroke-width=\"2\" stroke=\"" +
         std::string(colour) + "\" points=\"" + coordinates + "\"/>";
}

// The value axis: 0, half and the top, in the unit that suits the top.
std::string Axis(double top) {
  const ByteScale scale = ByteScaleFor(top, true);
  const int room_y = kHeight - kTop - kBottom;
  std::string svg = "<line x1=\"" + std::to_string(kLeft) + "\" y1=\"" +
                    std::to_string(kTop) + "\" x2=\"" + std::to_string(kLeft) +
                    "\" y2=\"" + std::to_string(kTop + room_y) +
                    "\" stroke=\"#888\"/>";
  for (int step = 0; step <= 2; ++step) {
    const int y = kTop + room_y - room_y * step / 2;
    const double value = top * step / 2 / scale.bytes;
    svg += Text(kLeft - 6, y + 4, "end",
                FormatNumber(std::round(value * 10) / 10) + " " + scale.unit);
  }
  return svg;
}

}  // namespace

Status TrendOf(History& history, const RunRecord& record,
               std::vector<TrendPoint>* points) {
  std::vector<KeptRun> runs;
  const Status status = history.RunsOf(record.server, record.database, &runs);
  if (!status.ok()) return status;
  const std::string key = RunKeyTime(record.started);
  bool kept = false;
  for (const KeptRun& run : runs) {
    const std::string started = RunKeyTime(run.started);
    if (started > key) break;
    kept = kept || started == key;
    points->push_back(PointOf(run.started, run.totals, run.method));
  }
  if (!kept) {
    points->push_back(
        PointOf(record.started, TotalsOfRun(record), record.shown().method));
  }
  return Status();
}

std::string TrendChart(const std::vector<TrendPoint>& points,
                       const std::string& name, const MessageTable& m, int id) {
  if (points.empty()) return {};
  double top = 0;
  for (const TrendPoint& p : points) top = std::max(top, p.size_bytes);
  const TrendPoint& first = points.front();
  const TrendPoint& last = points.back();
  const std::string title_id = "trend" + std::to_string(id);
  const std::string title = Fill(
      m[Msg::kHistoryTrendTitle],
      {name, std::to_string(points.size()), HumanBytes(first.size_bytes),
       HumanBytes(first.compressed_bytes), LocalMinuteText(first.started),
       HumanBytes(last.size_bytes), HumanBytes(last.compressed_bytes),
       LocalMinuteText(last.started)});
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(kWidth) + "\" height=\"" +
                    std::to_string(kHeight) + "\" role=\"img\" aria-labelledby=\"" +
                    title_id + "\"><title id=\"" + title_id + "\">" +
                    Html(title) + "</title>";
  svg += Axis(top);
  svg += Line(points, top, &TrendPoint::size_bytes, "#4472c4");
  svg += Line(points, top, &TrendPoint::compressed_bytes, "#70ad47");
  const int base = kHeight - kBottom;
  svg += Text(kLeft, base + 16, "start", LocalMinuteText(first.started));
  if (points.size() > 1)
    svg += Text(kWidth - kRight, base + 16, "end", LocalMinuteText(last.started));
  const int legend = base + 32;
  svg += "<rect x=\"" + std::to_string(kLeft) + "\" y=\"" +
         std::to_string(legend) + "\" width=\"12\" height=\"4\" fill=\"#4472c4\"/>" +
         Text(kLeft + 16, legend + 6, "start", m[Msg::kHistorySizeLegend]) +
         "<rect x=\"" + std::to_string(kLeft + 90) + "\" y=\"" +
         std::to_string(legend) + "\" width=\"12\" height=\"4\" fill=\"#70ad47\"/>" +
         Text(kLeft + 106, legend + 6, "start", m[Msg::kReportCompressedLegend]);
  return svg + "</svg>";
}

}  // namespace tce
