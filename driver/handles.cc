#include "handles.h"

#include <atomic>
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

// The handle found last: a fetch loop asks for the same statement row
// after row, and is answered without the lock. Cleared when that handle
// goes.
std::atomic<Handle*> g_last_found{nullptr};

}  // namespace

void Register(Handle* handle) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry()[handle] = handle;
}

void Unregister(Handle* handle) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry().erase(handle);
  Handle* expected = handle;
  g_last_found.compare_exchange_strong(expected, nullptr);
}

Handle* Lookup(void* handle, Kind kind) {
  if (handle == nullptr) return nullptr;
  Handle* last = g_last_found.load(std::memory_order_acquire);
  if (last == handle) return last->kind == kind ? last : nullptr;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(handle);
  if (it == Registry().end() || it->second->kind != kind) return nullptr;
  g_last_found.store(it->second, std::memory_order_release);
  return it->second;
}

}  // namespace tvcli
