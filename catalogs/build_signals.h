// While a server is built, SIGINT, SIGTERM and SIGHUP first remove the
// build's scratch folder, then end the process as they would have.
#ifndef TCE_CATALOGS_BUILD_SIGNALS_H_
#define TCE_CATALOGS_BUILD_SIGNALS_H_

#include <signal.h>

#include <string>
#include <vector>

namespace tce::catalogs {

class BuildSignals {
 public:
  // Installs the handlers when `active` (a signal the process ignores stays
  // ignored); otherwise only Hold and Release do anything.
  explicit BuildSignals(bool active);
  // Puts the process's own handlers back, then lets held signals through.
  ~BuildSignals();
  BuildSignals(const BuildSignals&) = delete;
  BuildSignals& operator=(const BuildSignals&) = delete;

  // What a signal removes: the files first (a missing one is passed over),
  // the folder last. The paths are kept until Unwatch.
  void Watch(std::vector<std::string> paths);
  void Unwatch();

  // Holds the signals back until Release, so that nothing a signal would
  // leave half done (the scratch folder made but not watched, a server
  // half put in place) can be.
  void Hold();
  void Release();

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  bool active_;
  bool held_ = false;
  struct sigaction previous_[3] = {};
  sigset_t set_ = {};
  sigset_t before_hold_ = {};  // the signals the process held already
  std::vector<std::string> paths_;
};

}  // namespace tce::catalogs

#endif  // TCE_CATALOGS_BUILD_SIGNALS_H_
