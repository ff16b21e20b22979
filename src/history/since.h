// Which earlier run a run is compared with (--since): the newest kept
// before it, the newest kept at or before a moment, or a kept run by its
// id; always one of the same server and database, started before it.
#ifndef TCE_HISTORY_SINCE_H_
#define TCE_HISTORY_SINCE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "history/changes.h"
#include "history/history.h"

namespace tce {

struct Since {
  enum class Kind { kLast, kUpTo, kRun };
  Kind kind = Kind::kLast;
  // kUpTo: the latest start taken, as RunKeyTime writes it.
  std::string up_to;
  int64_t run = 0;  // kRun
};

// Reads "last"; a date "2026-12-09" (its whole day, UTC); a date and time
// "2026-12-09T05:41", "...T05:41:22" or "...T05:41:22.123", with or without
// a final "Z" (UTC; the minute or second given is taken whole); or a run's
// id. False for anything else.
bool ParseSince(const std::string& text, Since* since);

// Finds the run `since` names among `runs` (the kept runs of `now`'s
// server and database, oldest first). False with `why` when there is none.
bool FindEarlier(const std::vector<KeptRun>& runs, const RunRecord& now,
                 const Since& since, KeptRun* found, std::string* why);

// What changed in `now` since the earlier run `since` names: `found` is
// false (with `why`) when the history keeps no such run.
struct SinceResult {
  bool found = false;
  std::string why;
  KeptRun before;
  Changes changes;
};
Status ChangesSince(History& history, std::shared_ptr<const RunRecord> now,
                    const Since& since, PlanRule rule, SinceResult* result);

}  // namespace tce

#endif  // TCE_HISTORY_SINCE_H_
