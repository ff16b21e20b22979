#include "wizard/wizard.h"

#include "base/help_topics.h"
#include "base/text_util.h"

namespace tce {
namespace {

// Clears a flag when the scope ends.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

std::string JoinFilterLines(std::string_view text) {
  std::string_view rest = TrimBlanks(text);
  std::string result;
  auto append = [&](std::string_view item) {
    if (item.empty()) return;
    if (!result.empty()) result += ',';
    result += item;
  };
  for (size_t pair = rest.find("\r\n"); pair != std::string_view::npos;
       pair = rest.find("\r\n")) {
    append(TrimBlanks(rest.substr(0, pair)));
    rest.remove_prefix(pair + 2);
  }
  append(rest);
  return std::string(TrimBlanks(result));
}

void Wizard::DisclaimerState() {
  view_.SetTabEnabled(kConnectionTab, false);
  view_.SetTabEnabled(kOptionsTab, false);
  view_.SetTabEnabled(kResultsTab, false);
  view_.SetTabEnabled(kDisclaimerTab, true);
  view_.SelectTab(kDisclaimerTab);
}

void Wizard::StartUp() {
  app_.LoadConfiguration();
  app_.LoadMessages();
  view_.ApplyScreenTexts(app_.messages);
  OnLoad();
  DisclaimerState();
  app_.BuildStatistics();
  view_.SetDisclaimer(DisclaimerText());
  ResetToStartupValues(app_.settings);
  view_.SetTabStop("DelimTab", false);
  view_.SetTabStop("OptRowSize", false);
  view_.ShowWindow();
}

void Wizard::OnLoad() {
  DisclaimerState();
  LogPanel("Showing startup screen");
}

void Wizard::DoContinue(int index) {
  if (busy_) return;  // Continue is disabled while a step runs
  {
    BusyScope busy(busy_);
    Continue(index);
  }
  if (exit_requested_) ExitAll(index);
}

void Wizard::Continue(int index) {
  const std::string pending = app_.library.TakeFailure();
  if (!pending.empty())
    app_.reporter.ShowBox(kProgramTitle, "Error=" + pending);
  LogPanel("Continue button pressed");
  switch (index) {
    case kDisclaimerTab:
      view_.SetTabEnabled(kDisclaimerTab, false);
      view_.SetTabEnabled(kConnectionTab, true);
      view_.SelectTab(kConnectionTab);
      view_.SetFocusTo("InputDatabase");
      LogPanel("Showing connection panel");
      break;
    case kConnectionTab: {
      LogPanel("Connect button pressed");
      const std::string database(TrimBlanks(view_.Text("InputDatabase")));
      const std::string user(TrimBlanks(view_.Text("InputUserid")));
      const std::string password(TrimBlanks(view_.Text("InputPassword")));
      if (app_.connection.Connect(database, user, password) != 0) {
        app_.reporter.ShowMessage("Connection failed.");
        break;
      }
      app_.desktop.SetWaitCursor(false);
      view_.SetTabEnabled(kConnectionTab, false);
      view_.SetTabEnabled(kOptionsTab, true);
      view_.SetTabEnabled(kResultsTab, true);
      view_.SelectTab(kOptionsTab);
      view_.SetFocusTo("TBS");
      break;
    }
    case kOptionsTab: {
      const RunSettings& s = app_.settings;
      if (app_.reporter.debug()) {
        app_.reporter.WriteLog(
            "SETTINGS",
            std::string("STATS=") +
                (s.IgnoreTablesWithoutStats ? "TRUE " : "FALSE ") +
                "CARDINALITY=" + (s.UseMaxCardinality ? "MAX " : "SINGLE ") +
                "COMPRESSION=" + (s.EstimatePageCompression ? "PAGE" : "ROW "));
      }
      if (app_.analysis.RunAnalysis()) {
        LogPanel("Displaying Results");
        view_.SetTabEnabled(kResultsTab, true);
        view_.SelectTab(kResultsTab);
      } else {
        app_.reporter.ShowMessage(app_.messages[82]);
      }
      break;
    }
    default:
      break;
  }
}

void Wizard::ExitAll(int /*index*/) {
  if (busy_) {
    // The run still uses the connection: stop it, and exit when it returns.
    exit_requested_ = true;
    app_.analysis.RequestStop();
    return;
  }
  app_.connection.Disconnect();
  view_.EndProgram();
}

void Wizard::OnUnload() { ExitAll(0); }

void Wizard::OnTabClick(int tab) {
  if (tab != kOptionsTab) return;
  view_.SetTabStop("InputDatabase", false);
  view_.SetTabStop("InputUserid", false);
  view_.SetTabStop("InputPassword", false);
  view_.SetTabStop("SchemaSelect", true);
  view_.SetTabStop("TableSelect", true);
  view_.SetTabEnabled(kResultsTab, false);
}

void Wizard::OnCompRangeClick(int value) {
  view_.SetCaption("CompValue", std::to_string(value));
  if (value != app_.settings.MinCompressionPct) {
    app_.settings.MinCompressionPct = static_cast<int16_t>(value);
    app_.settings.SettingsChanged = true;
  }
}

void Wizard::OnMinTabSizeChange(int value) {
  view_.SetCaption("MinTabSizeText", std::to_string(value) + " M");
  if (value != app_.settings.MinTableSizeMB) {
    app_.settings.MinTableSizeMB = value;
    app_.settings.SettingsChanged = true;
  }
}

void Wizard::OnOptionClick(const std::string& button, bool selected) {
  RunSettings& s = app_.settings;
  // Each button sets its field to `value` when it is selected and the field
  // holds the other value; the delimiter does not make the run repeat.
  struct Option {
    const char* button;
    bool RunSettings::*field;
    bool value;
    bool run_relevant;
  };
  static const Option kOptions[] = {
      {"StatsIgnore", &RunSettings::IgnoreTablesWithoutStats, true, true},
      {"StatsAll", &RunSettings::IgnoreTablesWithoutStats, false, true},
      {"MaxCard", &RunSettings::UseMaxCardinality, true, true},
      {"ColumnCard", &RunSettings::UseMaxCardinality, false, true},
      {"PCTPage", &RunSettings::EstimatePageCompression, true, true},
      {"PCTRow", &RunSettings::EstimatePageCompression, false, true},
      {"OptPageSize", &RunSettings::ShowPageSavings, true, true},
      {"OptRowSize", &RunSettings::ShowPageSavings, false, true},
      {"DelimTab", &RunSettings::TabDelimited, true, false},
      {"DelimComma", &RunSettings::TabDelimited, false, false},
  };
  for (const Option& option : kOptions) {
    if (button != option.button) continue;
    if (selected && s.*option.field != option.value) {
      s.*option.field = option.value;
      if (option.run_relevant) s.SettingsChanged = true;
    }
    view_.SetTabStop(button, false);
    return;
  }
}

void Wizard::OnSchemaSelectChange(const std::string& text) {
  if (text == app_.settings.OwnerFilter) return;
  app_.settings.OwnerFilter = JoinFilterLines(text);
  app_.settings.SettingsChanged = true;
}

void Wizard::OnTableSelectChange(const std::string& text) {
  if (text == app_.settings.TableFilter) return;
  app_.settings.TableFilter = JoinFilterLines(text);
  app_.settings.SettingsChanged = true;
}

void Wizard::OnShowDebugClick(bool ticked) { app_.settings.DebugLog = ticked; }

void Wizard::OnShowSqlClick(bool ticked) { app_.settings.LogSQL = ticked; }

}  // namespace tce
