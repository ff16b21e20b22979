// Writes the table-details help topic: its fixed text, then "How an estimate
// is made", a walk through one demo table with the figures the estimate
// itself produces. Run at build time beside the driver and the demo server,
// so the topic cannot drift from the code.
//   make_estimate_topic <fixed text> <topic to write>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "model/explain.h"
#include "analysis/analysis.h"
#include "base/run_settings.h"
#include "wizard/app_state.h"

namespace tce {
namespace {

constexpr char kOwner[] = "sales";
constexpr char kTable[] = "customer";

class QuietDesktop : public DesktopPort {
 public:
  void ShowMessageBox(const std::string&, const std::string& text) override {
    std::fprintf(stderr, "make_estimate_topic: %s\n", text.c_str());
  }
  std::optional<std::string> AskSaveFileName(SaveDialog,
                                             const std::optional<std::string>&,
                                             ExportFormat) override {
    return std::nullopt;
  }
  void SetWaitCursor(bool) override {}
  void ProcessPendingEvents() override {}
  void* DialogOwnerWindow() override { return nullptr; }
};

// Keeps the walk-through table's estimate as the run makes it.
class Catch : public TableSink {
 public:
  Status OnTable(const RunRecord& record, const TableRecord& table, bool,
                 const EstimateContext& estimate) override {
    if (table.owner == kOwner && table.table == kTable) {
      text = ExplainTable(estimate, table, record.shown());
    }
    return Status();
  }
  std::string text;
};

// The topic format joins consecutive lines: every line of the walk-through
// becomes a paragraph of its own.
std::string AsParagraphs(const std::string& text) {
  std::string out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) out += line + "\n\n";
  }
  return out;
}

int Run(const char* fixed_path, const char* topic_path) {
  std::ifstream fixed(fixed_path, std::ios::binary);
  std::stringstream fixed_text;
  fixed_text << fixed.rdbuf();
  if (!fixed || fixed_text.str().empty()) {
    std::fprintf(stderr, "make_estimate_topic: cannot read %s\n", fixed_path);
    return 1;
  }
  QuietDesktop desktop;
  AppState app(desktop);
  app.LoadConfiguration();
  app.LoadMessages();
  app.BuildStatistics();
  ResetToStartupValues(app.settings);
  if (!app.connection.Connect("demo", "", "", nullptr).ok()) {
    std::fprintf(stderr, "make_estimate_topic: the demo server is missing\n");
    return 1;
  }
  Catch walk;
  const RunResult result = RunAnalysis(
      {app.connection, app.settings, app.statistics, app.reporter}, nullptr,
      &walk);
  app.connection.Disconnect();
  if (result.outcome == RunOutcome::kFailed || walk.text.empty()) {
    std::fprintf(stderr, "make_estimate_topic: %s.%s was not estimated\n",
                 kOwner, kTable);
    return 1;
  }
  std::string topic = fixed_text.str();
  while (!topic.empty() && topic.back() == '\n') topic.pop_back();
  topic += "\n\nHow an estimate is made\n\n";
  topic +=
      "The program writes what follows from the demo catalog with the code "
      "that makes every estimate, under the options a run starts with "
      "(page compression, cardinality from the distributions, sizes in "
      "pages). The \"Why?\" button of the Table Details (or Enter on its "
      "grid) shows the same for the table you clicked, and the command-line "
      "tool's --explain writes these figures as fields.\n\n";
  topic += AsParagraphs(walk.text);
  std::ofstream out(topic_path, std::ios::binary | std::ios::trunc);
  out << topic;
  out.close();
  if (!out) {
    std::fprintf(stderr, "make_estimate_topic: cannot write %s\n", topic_path);
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace tce

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_estimate_topic FIXED_TEXT TOPIC\n");
    return 2;
  }
  return tce::Run(argv[1], argv[2]);
}
