#include "support/memory_desktop_port.h"

namespace tce {

void MemoryDesktopPort::ShowMessageBox(const std::string& title,
                                       const std::string& text) {
  boxes_.push_back({title, text});
}

std::optional<std::string> MemoryDesktopPort::AskSaveFileName(
    SaveDialog which, const std::optional<std::string>& preset,
    ExportFormat format) {
  save_requests_.push_back({which, preset, format});
  if (save_answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(save_answers_.front());
  save_answers_.pop_front();
  return answer;
}

void MemoryDesktopPort::SetWaitCursor(bool waiting) {
  waiting_ = waiting;
  cursor_changes_.push_back(waiting);
}

void MemoryDesktopPort::ProcessPendingEvents() {
  ++pending_event_calls_;
  if (on_pending_events_) on_pending_events_();
}

std::vector<std::string> MemoryDesktopPort::box_texts() const {
  std::vector<std::string> texts;
  for (const Box& box : boxes_) texts.push_back(box.text);
  return texts;
}

}  // namespace tce
