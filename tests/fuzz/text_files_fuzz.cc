// The configuration, message and help-topic readers on any file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/configuration.h"
#include "base/help_topics.h"
#include "base/message_table.h"
#include "fuzz_file.h"

namespace {

class NullHelpWindow : public tce::HelpWindow {
 public:
  void SetCaption(const std::string& caption) override {
    size += caption.size();
  }
  void SetText(const std::string& text) override { size += text.size(); }
  void Show() override {}
  size_t size = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = tce::fuzz::WriteFuzzFile(data, size);
  tce::RunSettings settings;
  tce::ReadConfiguration(path, settings);
  tce::MessageTable messages;
  messages.LoadBuiltInTexts();
  messages.ReadMessageFile(path);
  // Only entries 1 to 99 may change; 100 to 200 stay empty.
  for (int n = 100; n <= 200; ++n) {
    if (!messages[static_cast<tce::Msg>(n)].empty()) std::abort();
  }
  NullHelpWindow window;
  tce::ShowHelpTopic(path, window);
  // The topic never grows beyond four bytes for each byte of the file.
  if (window.size > 4 * size + 4) std::abort();
  return 0;
}
