// What the results toolbar saves: the list, and the report.
#include <filesystem>

#include "actions/results_actions.h"
#include "output/file_writer.h"
#include "output/report.h"
#include "output/results_output.h"

namespace tce {

void WriteGridList(ResultWriter& writer, const ResultsGrid& grid,
                   const MessageTable& messages) {
  WriteTableList(writer, messages, grid.record(), grid.order());
}

bool SaveDocument(const Reporter& reporter, SaveDialog which,
                  const std::optional<std::string>& proposed_name,
                  ExportFormat format, int64_t records,
                  const std::function<void(ResultWriter&)>& write) {
  DesktopPort& desktop = reporter.desktop();
  const std::optional<std::string> chosen =
      desktop.AskSaveFileName(which, proposed_name, format);
  if (!chosen || chosen->empty()) return false;
  FileWriter file;
  Status status = file.Open(*chosen);
  if (status.ok()) {
    desktop.SetWaitCursor(true);
    const std::unique_ptr<ResultWriter> writer =
        ResultWriter::Make(format, file);
    write(*writer);
    status = writer->ok() ? file.Commit()
                          : Status::FileFailure(*chosen + ": the output failed");
    desktop.SetWaitCursor(false);
  }
  if (!status.ok()) {
    reporter.ShowMessage("File not written: " + status.ToString());
    return false;
  }
  std::error_code ignored;
  const std::string full_name =
      std::filesystem::absolute(*chosen, ignored).string();
  reporter.ShowMessage("File exported (" + full_name +
                       ")\r\nRecords exported=" + std::to_string(records));
  return true;
}

void SaveReport(const ResultsContext& c, const ResultsGrid& grid) {
  if (grid.shared_record() == nullptr) return;
  DesktopPort& desktop = c.reporter.desktop();
  const std::optional<std::string> chosen =
      desktop.AskSaveFileName(SaveDialog::kMain, std::string("report.html"),
                              ExportFormat::kHtml);
  if (!chosen || chosen->empty()) return;
  FileWriter file;
  desktop.SetWaitCursor(true);
  Status status = file.Open(*chosen);
  if (status.ok()) {
    file.Write(ReportHtml({grid.shared_record()}, c.messages));
    status = file.Commit();
  }
  desktop.SetWaitCursor(false);
  if (!status.ok()) {
    c.reporter.ShowMessage("File not written: " + status.ToString());
    return;
  }
  std::error_code ignored;
  c.reporter.ShowMessage("Report saved (" +
                         std::filesystem::absolute(*chosen, ignored).string() +
                         ")");
}

void ExportResults(const ResultsContext& c, const ResultsGrid& grid,
                   SaveDialog which,
                   const std::optional<std::string>& proposed_name,
                   ExportFormat format) {
  SaveDocument(c.reporter, which, proposed_name, format, grid.RowCount(),
               [&](ResultWriter& writer) {
                 writer.BeginDocument();
                 WriteGridList(writer, grid, c.messages);
                 writer.EndDocument();
               });
}

}  // namespace tce
