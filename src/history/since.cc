#include "history/since.h"

#include <cctype>
#include <charconv>

namespace tce {
namespace {

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

// The moment's text completed to the end of the unit it was given to, or
// empty when it is not one of the forms ParseSince takes.
std::string LatestOf(std::string text) {
  if (!text.empty() && text.back() == 'Z') text.pop_back();
  static constexpr const char* kForms[] = {
      "dddd-dd-dd", "dddd-dd-ddTdd:dd", "dddd-dd-ddTdd:dd:dd",
      "dddd-dd-ddTdd:dd:dd.ddd"};
  static constexpr const char* kRest[] = {"T23:59:59.999Z", ":59.999Z",
                                          ".999Z", "Z"};
  for (size_t f = 0; f < 4; ++f) {
    const std::string_view form = kForms[f];
    if (text.size() != form.size()) continue;
    bool fits = true;
    for (size_t i = 0; i < form.size() && fits; ++i) {
      fits = form[i] == 'd' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0
                            : text[i] == form[i];
    }
    if (fits) return text + kRest[f];
  }
  return {};
}

std::string Of(const RunRecord& now) {
  return " of " + now.database + " on " + now.server.name + " (" +
         now.server.host + ")";
}

}  // namespace

bool ParseSince(const std::string& text, Since* since) {
  if (text == "last") {
    *since = Since{};
    return true;
  }
  if (AllDigits(text)) {
    int64_t id = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || id <= 0) return false;
    *since = Since{Since::Kind::kRun, {}, id};
    return true;
  }
  const std::string latest = LatestOf(text);
  TimePoint when;
  if (latest.empty() || !ParseIsoTime(latest, &when) ||
      IsoTimeText(when) != latest) {
    return false;  // not a moment, or not one that exists (2026-02-30)
  }
  *since = Since{Since::Kind::kUpTo, latest, 0};
  return true;
}

bool FindEarlier(const std::vector<KeptRun>& runs, const RunRecord& now,
                 const Since& since, KeptRun* found, std::string* why) {
  const std::string key = RunKeyTime(now.started);
  const KeptRun* best = nullptr;
  for (const KeptRun& run : runs) {
    const std::string started = RunKeyTime(run.started);
    if (since.kind == Since::Kind::kRun) {
      if (run.id != since.run) continue;
      if (started >= key) {
        *why = "run " + std::to_string(run.id) + " is not earlier than this one";
        return false;
      }
      best = &run;
    } else if (started < key &&
               (since.kind == Since::Kind::kLast || started <= since.up_to)) {
      best = &run;  // the runs are oldest first: the last one fitting wins
    }
  }
  if (best != nullptr) {
    *found = *best;
    return true;
  }
  switch (since.kind) {
    case Since::Kind::kRun:
      *why = "run " + std::to_string(since.run) + " is not a kept run" + Of(now);
      break;
    case Since::Kind::kUpTo:
      *why = "no run" + Of(now) + " is kept from " + since.up_to + " or before";
      break;
    case Since::Kind::kLast:
      *why = "no run" + Of(now) + " is kept from before this one";
      break;
  }
  return false;
}

Status ChangesSince(History& history, std::shared_ptr<const RunRecord> now,
                    const Since& since, PlanRule rule, SinceResult* result) {
  std::vector<KeptRun> runs;
  Status status = history.RunsOf(now->server, now->database, &runs);
  if (!status.ok()) return status;
  result->found = FindEarlier(runs, *now, since, &result->before, &result->why);
  if (!result->found) return Status();
  std::shared_ptr<RunRecord> before;
  status = history.Read(result->before.id, &before);
  if (status.ok()) result->changes = CompareRuns(before, std::move(now), rule);
  return status;
}

}  // namespace tce
