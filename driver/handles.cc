#include "handles.h"

#include <mutex>
#include <unordered_map>
#include <utility>

namespace tvcli {
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

// The handle this thread found last: a fetch loop asks for the same
// statement row after row, and is answered without the registry's lock.
// Holding it also keeps its address from being given to a new handle.
struct LastFound {
  void* key = nullptr;
  std::shared_ptr<Handle> handle;
};
thread_local LastFound t_last_found;

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

Handle* Lookup(void* handle, Kind kind) {
  if (handle == nullptr) return nullptr;
  LastFound& last = t_last_found;
  if (last.key != handle) {
    std::shared_ptr<Handle> found;
    {
      std::lock_guard<std::mutex> lock(RegistryMutex());
      auto it = Registry().find(handle);
      if (it == Registry().end()) return nullptr;
      found = it->second;
    }
    last.handle = std::move(found);
    last.key = handle;
  }
  return last.handle->kind == kind ? last.handle.get() : nullptr;
}

}  // namespace tvcli
