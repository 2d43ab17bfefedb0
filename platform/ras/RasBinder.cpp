// SPDX-License-Identifier: MIT
#include "platform/ras/RasBinder.h"

namespace tarifuhr {

void RasLibraries::Register(const std::string& name, RasLibrary library) {
  std::lock_guard lock(mutex_);
  libraries_[name] = std::make_shared<const RasLibrary>(std::move(library));
}

void RasLibraries::Unregister(const std::string& name) {
  std::lock_guard lock(mutex_);
  libraries_.erase(name);
}

std::shared_ptr<const RasLibrary> RasLibraries::Load(const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto it = libraries_.find(name);
  return it == libraries_.end() ? nullptr : it->second;
}

const RasProc* RasBinder::Find(const std::string& name) const {
  if (!library_) return nullptr;
  auto it = library_->find(name);
  return it == library_->end() ? nullptr : &it->second;
}

const RasProc& RasBinder::Lookup(const std::string& name) {
  if (!loaded_) {
    library_ = libraries_.Load(kRasLibrary);
    if (!library_) throw RasBindError("Error opening rasapi.dll");
    const RasProc* p = Find(name + "A");
    if (!p) p = Find(name);
    if (p) {
      loaded_ = true;
      return *p;
    }
    library_ = libraries_.Load(kRasFallbackLibrary);
    if (!library_) throw RasBindError("Error opening rnaph.dll");
    p = Find(name);
    if (!p) throw RasBindError("Function " + name + " not found!");
    loaded_ = true;
    fallback_ = true;
    return *p;
  }
  const RasProc* p = fallback_ ? Find(name) : Find(name + "A");
  if (!p && !fallback_) p = Find(name);
  if (!p) throw RasBindError("Function " + name + " not found!");
  return *p;
}

RasLibraries& SystemRasLibraries() {
  static RasLibraries libraries;
  return libraries;
}

RasBinder& SystemRasBinder() {
  static RasBinder binder(SystemRasLibraries());
  return binder;
}

}  // namespace tarifuhr
