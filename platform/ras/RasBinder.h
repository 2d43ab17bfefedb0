// SPDX-License-Identifier: MIT
#pragma once
// Run-time binding of the RAS functions. On this system a "library" is a
// table of functions that a backend registers under a library name; loading
// a library that nobody registered fails like a missing DLL.

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/ras/RasApi.h"

namespace tarifuhr {

inline constexpr const char* kRasLibrary = "rasapi32.dll";
inline constexpr const char* kRasFallbackLibrary = "rnaph.dll";

// A library: exported function names and their functions.
using RasLibrary = std::map<std::string, RasProc>;

// The registered libraries by name. Backends register at start-up; tests
// build their own.
class RasLibraries {
 public:
  void Register(const std::string& name, RasLibrary library);
  void Unregister(const std::string& name);
  // Null when no library of that name is registered.
  std::shared_ptr<const RasLibrary> Load(const std::string& name) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const RasLibrary>> libraries_;
};

// Loading the library or finding a function failed.
class RasBindError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Looks a function up by its plain name ("RasDial"): the ANSI name first,
// then the plain one; when "rasapi32.dll" offers neither on the first call,
// "rnaph.dll" takes its place for good and is asked by the plain name.
class RasBinder {
 public:
  explicit RasBinder(const RasLibraries& libraries) : libraries_(libraries) {}

  // Throws RasBindError.
  const RasProc& Lookup(const std::string& name);

  // Looks up and checks the function's kind; a function of another kind
  // counts as not found.
  template <class Proc>
  const Proc& Bind(const std::string& name) {
    if (const Proc* p = std::get_if<Proc>(&Lookup(name)); p && p->fn) return *p;
    throw RasBindError("Function " + name + " not found!");
  }

  bool Loaded() const { return loaded_; }
  bool FallbackInUse() const { return fallback_; }

 private:
  const RasProc* Find(const std::string& name) const;

  const RasLibraries& libraries_;
  std::shared_ptr<const RasLibrary> library_;
  bool loaded_ = false;
  bool fallback_ = false;
};

// The program's libraries and binder (the backend registers into the first).
RasLibraries& SystemRasLibraries();
RasBinder& SystemRasBinder();

}  // namespace tarifuhr
