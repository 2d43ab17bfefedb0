// SPDX-License-Identifier: MIT
#include "platform/Environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Files.h"

namespace tarifuhr {
namespace {

std::string Home(const EnvLookup& env) {
  if (auto h = env("HOME"); h && !h->empty()) return *h;
  return "/tmp";
}

std::string StripTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

}  // namespace

EnvLookup ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* v = std::getenv(name.c_str());
    if (!v) return std::nullopt;
    return std::string(v);
  };
}

std::string ExecutablePath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

std::string ProgramDirectory(const EnvLookup& env, const std::string& executablePath) {
  if (auto home = env("TARIFUHR_HOME"); home && !home->empty()) return StripTrailingSlash(*home);
  if (!executablePath.empty()) {
    const std::string dir = DirName(executablePath);
    // An installed program shares its folder with every other program, even
    // where it could write there (as root): its files go to the user's.
    const bool installed = DirectoryExists(JoinPath(dir, "../share/tarifuhr"));
    if (!installed && ::access(dir.c_str(), W_OK) == 0) return dir;
  }
  std::string data;
  if (auto xdg = env("XDG_DATA_HOME"); xdg && !xdg->empty())
    data = *xdg;
  else
    data = JoinPath(Home(env), ".local/share");
  return JoinPath(StripTrailingSlash(data), "tarifuhr");
}

std::string ConfigHome(const EnvLookup& env) {
  if (auto xdg = env("XDG_CONFIG_HOME"); xdg && !xdg->empty()) return StripTrailingSlash(*xdg);
  return JoinPath(Home(env), ".config");
}

bool MakeDirectories(const std::string& path) {
  if (path.empty() || DirectoryExists(path)) return true;
  const std::string parent = DirName(path);
  if (parent != path && !MakeDirectories(parent)) return false;
  return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace tarifuhr
