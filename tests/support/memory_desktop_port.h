// A DesktopPort that remembers what it was asked to show and answers dialogs
// from a queue the test fills. Used by the core tests.
#ifndef TCE_TESTS_SUPPORT_MEMORY_DESKTOP_PORT_H_
#define TCE_TESTS_SUPPORT_MEMORY_DESKTOP_PORT_H_

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/desktop_port.h"

namespace tce {

class MemoryDesktopPort : public DesktopPort {
 public:
  struct Box {
    std::string title;
    std::string text;
  };
  struct SaveRequest {
    SaveDialog which;
    std::optional<std::string> preset;
    ExportFormat format;
  };

  void ShowMessageBox(const std::string& title,
                      const std::string& text) override;
  std::optional<std::string> AskSaveFileName(
      SaveDialog which, const std::optional<std::string>& preset,
      ExportFormat format) override;
  void SetWaitCursor(bool waiting) override;
  void ProcessPendingEvents() override;
  void* DialogOwnerWindow() override { return nullptr; }

  // Answers for the next save-file dialogs, oldest first; nullopt cancels.
  // With the queue empty a dialog is cancelled.
  void QueueSaveAnswer(std::optional<std::string> path) {
    save_answers_.push_back(std::move(path));
  }
  // Called on every ProcessPendingEvents, to stand for events the user
  // causes while a long run yields.
  void OnPendingEvents(std::function<void()> handler) {
    on_pending_events_ = std::move(handler);
  }

  const std::vector<Box>& boxes() const { return boxes_; }
  std::vector<std::string> box_texts() const;
  void ClearBoxes() { boxes_.clear(); }
  const std::vector<SaveRequest>& save_requests() const {
    return save_requests_;
  }
  bool waiting() const { return waiting_; }
  // Every change of the pointer, in order (true = hourglass).
  const std::vector<bool>& cursor_changes() const { return cursor_changes_; }
  int pending_event_calls() const { return pending_event_calls_; }

 private:
  std::vector<Box> boxes_;
  std::deque<std::optional<std::string>> save_answers_;
  std::vector<SaveRequest> save_requests_;
  bool waiting_ = false;
  std::vector<bool> cursor_changes_;
  int pending_event_calls_ = 0;
  std::function<void()> on_pending_events_;
};

}  // namespace tce

#endif  // TCE_TESTS_SUPPORT_MEMORY_DESKTOP_PORT_H_
