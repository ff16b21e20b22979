#include "handles.h"

#include <mutex>
#include <unordered_map>
#include <utility>

namespace tvcli {

thread_local constinit LastFound t_last_found;

namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_map<void*, std::shared_ptr<Handle>>& Registry() {
  static auto* registry =
      new std::unordered_map<void*, std::shared_ptr<Handle>>();
  return *registry;
}

// Holds the handle this thread found last, and so keeps its address from
// being given to a new handle, until the thread finds another. Once the
// thread's exit has destroyed it, calls still made (by destructors that
// run later) find handles in the registry alone.
thread_local constinit bool t_owner_gone = false;
struct LastOwner {
  ~LastOwner() {
    t_last_found = {};
    t_owner_gone = true;
  }
  std::shared_ptr<Handle> handle;
};
thread_local LastOwner t_last_owner;

}  // namespace

SQLHANDLE Register(std::shared_ptr<Handle> handle) {
  void* key = handle.get();
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry()[key] = std::move(handle);
  return key;
}

void Unregister(Handle* handle) {
  std::shared_ptr<Handle> last;  // released after the lock
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(handle);
  if (it == Registry().end()) return;
  last = std::move(it->second);
  Registry().erase(it);
}

Handle* LookupRegistered(void* handle, std::shared_ptr<Handle>& pin) {
  if (handle == nullptr) return nullptr;
  std::shared_ptr<Handle> found;
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(handle);
    if (it == Registry().end()) return nullptr;
    found = it->second;
  }
  if (t_owner_gone) {
    pin = std::move(found);
    return pin.get();
  }
  t_last_found = {handle, found.get()};
  t_last_owner.handle = std::move(found);
  return t_last_found.handle;
}

}  // namespace tvcli
