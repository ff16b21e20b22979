#include "history/change_text.h"

#include <algorithm>

#include "model/format.h"

namespace tce {

std::string KindWords(uint32_t kinds, const MessageTable& m) {
  const std::string& all = m[Msg::kHistoryKindWords];
  std::string words;
  size_t start = 0;
  for (int bit = 0; bit < kChangeKinds; ++bit) {
    const size_t end = std::min(all.find('|', start), all.size());
    if ((kinds >> bit) & 1u)
      words += (words.empty() ? "" : ", ") + all.substr(start, end - start);
    start = std::min(end + 1, all.size());
  }
  return words;
}

std::string SettingsSentence(const Changes& changes, const MessageTable& m) {
  std::string list;
  for (const SettingChange& s : changes.settings)
    list += (list.empty() ? "" : "; ") + s.name + ": " + s.before + " \u2192 " + s.now;
  if (list.empty()) return list;
  std::string text = Fill(m[Msg::kHistorySettingsDiffer], {list});
  if (changes.one_choice_only > 0) {
    text += " " + Fill(m[Msg::kHistoryOneChoice],
                       {std::to_string(changes.one_choice_only)});
  }
  return text;
}

std::string ChangeDetail(const TableChange& c, const MessageTable& m) {
  std::string text = KindWords(c.kinds, m);
  if (c.before == nullptr || c.now == nullptr) return text;
  text += ": " + ScreenBytes(c.size_before) + " \u2192 " + ScreenBytes(c.size_now);
  if (c.kinds & (kChangeRowsUp | kChangeRowsDown)) {
    text += ", rows " + c.before->row_count.ToText() + " \u2192 " +
            c.now->row_count.ToText();
  }
  if (c.kinds & (kChangeSavingUp | kChangeSavingDown)) {
    text += ", saving " + PercentText(c.saved_before.ToDouble()) + " \u2192 " +
            PercentText(c.saved_now.ToDouble());
  }
  if (c.kinds & kChangeCompressed) {
    text += ", pages " + PercentText(c.pages_fell_pct.ToDouble()) + " fewer (estimated " +
            PercentText(c.estimated_pct.ToDouble()) + ")";
  }
  return text;
}

ChangeNotes::ChangeNotes(SinceResult since) : since_(std::move(since)) {
  if (!since_.found) return;
  for (size_t i = 0; i < since_.changes.tables.size(); ++i) {
    if (const TableRecord* now = since_.changes.tables[i].now)
      changed_.emplace(now, i);
  }
}

std::string ChangeNotes::TipFor(const TableRecord& table,
                                const MessageTable& m) const {
  if (!since_.found) return {};
  const std::vector<TableRecord>& tables = since_.changes.now->tables;
  if (tables.empty() || &table < tables.data() ||
      &table >= tables.data() + tables.size())
    return {};  // a table of another run
  const std::string when = LocalMinuteText(since_.before.started);
  const auto found = changed_.find(&table);
  if (found == changed_.end()) return Fill(m[Msg::kHistoryTipSame], {when});
  const TableChange& change = since_.changes.tables[found->second];
  if (change.kinds & kChangeNew) return Fill(m[Msg::kHistoryTipNew], {when});
  return Fill(m[Msg::kHistoryTipChanged], {when, ChangeDetail(change, m)});
}

}  // namespace tce
