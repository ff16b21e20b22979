// The windows on the offscreen platform, with message boxes and save
// dialogs answered by the test, in a fresh current directory.
#ifndef TCE_TESTS_GUI_GUI_FIXTURE_H_
#define TCE_TESTS_GUI_GUI_FIXTURE_H_

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/large_results_window.h"
#include "ui/main_window.h"
#include "ui/qt_desktop_port.h"
#include "wizard/app_state.h"

namespace tce::testing {

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
  }
  void TearDown() override {
    window_.reset();
    app_.reset();
    std::filesystem::current_path(previous_dir_);
  }

  // Starts the program as main() does (after the test wrote any files).
  void Start() {
    desktop_.SetBoxHook(
        [this](const std::string& title, const std::string& text) {
          boxes_.push_back({title, text});
          box_owners_.push_back(desktop_.BoxOwner());
        });
    desktop_.SetSaveHook(
        [this](SaveDialog which, const std::optional<std::string>& preset) {
          save_presets_.push_back({which, preset});
          std::optional<std::string> answer;
          if (!save_answers_.empty()) {
            answer = save_answers_.front();
            save_answers_.pop_front();
          }
          return answer;
        });
    app_ = std::make_unique<AppState>(desktop_);
    window_ = std::make_unique<ui::MainWindow>(*app_, desktop_);
    window_->on_end_program = [this] { ++ended_; };
    // Every fetch repaints and lets events run, so that tests can act
    // during a run.
    window_->wizard().set_progress_interval(std::chrono::milliseconds(0));
    window_->wizard().StartUp();
  }

  template <typename T = QWidget>
  T* Get(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Clicks a button near its left edge, where its indicator and text are.
  void Click(const char* name) {
    QAbstractButton* button = Get<QAbstractButton>(name);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      QPoint(6, button->height() / 2));
  }
  QTabWidget* Tabs() { return Get<QTabWidget>("TBS"); }
  // "E" or "-" for each tab, then the selected tab.
  std::string TabStates() {
    std::string states;
    for (int i = 0; i < 4; ++i) states += Tabs()->isTabEnabled(i) ? "E" : "-";
    return states + " " + std::to_string(Tabs()->currentIndex());
  }
  void ConnectTo(const std::string& database) {
    Click("DoContinue_0");
    Get<QLineEdit>("InputDatabase")->setText(QString::fromStdString(database));
    Click("DoContinue_1");
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes_) texts.push_back(box.second);
    return texts;
  }
  std::string LogText() const {
    return ReadFileBytes(dir_.File("TARVEXCOMPRESS.DBG"));
  }

  TempDir dir_;
  std::filesystem::path previous_dir_;
  ui::QtDesktopPort desktop_;
  std::unique_ptr<AppState> app_;
  std::unique_ptr<ui::MainWindow> window_;
  std::vector<std::pair<std::string, std::string>> boxes_;
  std::vector<QWidget*> box_owners_;  // the window each box belonged to
  std::deque<std::optional<std::string>> save_answers_;
  std::vector<std::pair<SaveDialog, std::optional<std::string>>> save_presets_;
  int ended_ = 0;
};

}  // namespace tce::testing

#endif  // TCE_TESTS_GUI_GUI_FIXTURE_H_
