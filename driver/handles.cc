#include "handles.h"

#include <mutex>
#include <unordered_map>

namespace tvcli {
namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_map<void*, Handle*>& Registry() {
  static auto* registry = new std::unordered_map<void*, Handle*>();
  return *registry;
}

}  // namespace

void Register(Handle* handle) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry()[handle] = handle;
}

void Unregister(Handle* handle) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().erase(handle);
}

Handle* Lookup(void* handle, Kind kind) {
  if (handle == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(handle);
  if (it == Registry().end() || it->second->kind != kind) return nullptr;
  return it->second;
}

}  // namespace tvcli
