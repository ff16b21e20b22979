#include "output/report_parts.h"

#include <algorithm>
#include <cmath>

#include "base/number_text.h"
#include "model/format.h"
#include "output/report.h"
#include "output/result_writer.h"

namespace tce {

std::string Html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8SequenceLength(text.substr(i));
      out += length == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(i, length);
      i += std::max<size_t>(length, 1);
      continue;
    }
    ++i;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        out += c < 0x20 && c != '\t' ? ' ' : static_cast<char>(c);
    }
  }
  return out;
}

std::string BytesCell(double bytes, const char* key) {
  std::string cell = "<td class=\"n\" data-bytes=\"" +
                     FormatNumber(std::round(bytes)) + "\"";
  if (key != nullptr) cell += " data-total=\"" + std::string(key) + "\"";
  return cell + ">" + Html(SignedBytes(bytes, false)) + "</td>";
}

std::string NumberCell(const std::string& text) {
  return "<td class=\"n\">" + Html(text) + "</td>";
}

std::string HeadRow(const std::vector<std::string>& headers) {
  std::string row = "<thead><tr>";
  for (const std::string& header : headers)
    row += "<th scope=\"col\">" + Html(header) + "</th>";
  return row + "</tr></thead>";
}

std::string Section(const std::string& id, const std::string& title,
                    const std::string& body) {
  return "<section aria-labelledby=\"" + id + "\"><h2 id=\"" + id + "\">" +
         Html(title) + "</h2>\n" + body + "</section>\n";
}

namespace {

std::string Rect(int x, int y, int width, int height, const char* fill) {
  return "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
         "\" width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\" fill=\"" + fill + "\"/>";
}

std::string Label(int x, int y, int size, const std::string& text) {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
         "\" font-size=\"" + std::to_string(size) + "\">" + Html(text) +
         "</text>";
}

constexpr int kBarHeight = 18, kLabelWidth = 180, kWidth = 640;

std::string Bars(const std::vector<Named>& parts, double top, int& y) {
  std::string svg;
  for (const auto& [name, sums] : parts) {
    // Shares of the longest bar, whatever the figures hold.
    const double room = kWidth - kLabelWidth - 70;
    const int whole = static_cast<int>(room * std::clamp(sums.size / top, 0.0, 1.0));
    const int after =
        static_cast<int>(room * std::clamp(sums.compressed / top, 0.0, 1.0));
    svg += Label(0, y + 13, 12, name.substr(0, 28));
    svg += Rect(kLabelWidth, y, std::max(whole, 1), kBarHeight, "#4472c4");
    svg += Rect(kLabelWidth, y + 4, after, kBarHeight - 8, "#70ad47");
    svg += Label(kLabelWidth + whole + 6, y + 13, 12, PercentText(sums.saved_pct()));
    y += kBarHeight + 6;
  }
  return svg;
}

}  // namespace

std::string BarChart(const std::vector<Named>& parts, const std::string& title,
                     const MessageTable& messages, int id) {
  double top = 0;
  for (const auto& [name, sums] : parts) top = std::max(top, sums.size);
  if (top <= 0) return {};
  const int height = static_cast<int>(parts.size()) * (kBarHeight + 6) + 24;
  const std::string title_id = "chart" + std::to_string(id);
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(kWidth) + "\" height=\"" +
                    std::to_string(height) + "\" role=\"img\" aria-labelledby=\"" +
                    title_id + "\"><title id=\"" + title_id + "\">" +
                    Html(Fill(messages[Msg::kReportChartOf], {title})) +
                    "</title>";
  int y = 4;
  svg += Bars(parts, top, y);
  svg += Rect(kLabelWidth, y + 4, 12, 10, "#4472c4") +
         Label(kLabelWidth + 16, y + 13, 11, messages[Msg::kReportSizeLegend]) +
         Rect(kLabelWidth + 90, y + 4, 12, 10, "#70ad47") +
         Label(kLabelWidth + 106, y + 13, 11,
               messages[Msg::kReportCompressedLegend]);
  return svg + "</svg>";
}

}  // namespace tce
