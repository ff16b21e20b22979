#include "build_signals.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <utility>

namespace tce::catalogs {
namespace {

// A signal handler reaches what it removes only through a variable of its
// own; a lock-free pointer is safe to read there.
std::atomic<const std::vector<std::string>*> watched{nullptr};
static_assert(
    std::atomic<const std::vector<std::string>*>::is_always_lock_free);

// Only async-signal-safe calls: unlink, rmdir, raise.
extern "C" void RemoveScratchAndEnd(int signal_number) {
  if (const std::vector<std::string>* paths = watched.load()) {
    for (size_t i = 0; i + 1 < paths->size(); ++i) unlink((*paths)[i].c_str());
    if (!paths->empty()) rmdir(paths->back().c_str());
  }
  // SA_RESETHAND has put the default action back: once this handler
  // returns, the signal raised again ends the process.
  raise(signal_number);
}

}  // namespace

BuildSignals::BuildSignals(bool active) : active_(active) {
  sigemptyset(&set_);
  for (int signal_number : kSignals) sigaddset(&set_, signal_number);
  if (!active_) return;
  struct sigaction action = {};
  action.sa_handler = RemoveScratchAndEnd;
  action.sa_mask = set_;  // one cleanup at a time
  action.sa_flags = SA_RESETHAND;
  for (int i = 0; i < 3; ++i) {
    sigaction(kSignals[i], nullptr, &previous_[i]);
    if (previous_[i].sa_handler != SIG_IGN) {
      sigaction(kSignals[i], &action, nullptr);
    }
  }
}

BuildSignals::~BuildSignals() {
  Hold();
  Unwatch();
  if (active_) {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  }
  Release();
}

void BuildSignals::Watch(std::vector<std::string> paths) {
  watched.store(nullptr);
  paths_ = std::move(paths);
  watched.store(&paths_);
}

void BuildSignals::Unwatch() {
  watched.store(nullptr);
  paths_.clear();
}

void BuildSignals::Hold() {
  if (!held_) pthread_sigmask(SIG_BLOCK, &set_, &before_hold_);
  held_ = true;
}

void BuildSignals::Release() {
  if (held_) pthread_sigmask(SIG_SETMASK, &before_hold_, nullptr);
  held_ = false;
}

}  // namespace tce::catalogs
