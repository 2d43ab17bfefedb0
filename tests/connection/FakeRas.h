// SPDX-License-Identifier: MIT
#pragma once
// An in-memory RAS library for the component's tests: a phone book, open
// connections and a log of the calls made, with the platform's buffer and
// size rules.

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/ras/RasBinder.h"

namespace tarifuhr::test {

struct FakeRas {
  struct Conn {
    uint32_t handle;
    std::string entry, deviceType, deviceName;
    uint32_t state = ras::kConnected;
  };
  std::vector<std::string> entries;
  std::vector<Conn> connections;
  std::map<std::string, std::pair<std::string, std::string>> saved;  // entry -> user, password
  uint32_t dialResult = 0;
  uint32_t dialHandleOut = 0;    // handle RasDial reports (0 = none)
  uint32_t enumResult = 0;       // forced RasEnumConnections result
  int statusCallsUntilGone = 0;  // after a hang-up; -1: never gone
  std::string client = "192.168.7.2", server = "192.168.7.1";
  std::vector<std::string> calls;
  std::vector<std::string> dialledUsers;
  std::vector<std::thread> threads;
  std::function<void(RasDialNotifier)> asyncDial;  // runs on a thread of its own

  ~FakeRas() {
    for (auto& t : threads) t.join();
  }

  RasLibrary Library(const std::string& suffix = "A") {
    RasLibrary lib;
    auto name = [&](const char* n) { return std::string(n) + suffix; };
    lib[name("RasEnumEntries")] = RasEnumEntriesProc{
        [this](const char*, const char*, uint8_t* buf, uint32_t* size, uint32_t* count) -> uint32_t {
          calls.push_back("RasEnumEntries");
          if (GetU32(buf) != RasEntryNameLayout::kSize) return ras::kErrorInvalidSize;
          const uint32_t needed = uint32_t(entries.size() * RasEntryNameLayout::kSize);
          *count = uint32_t(entries.size());
          if (needed > *size) {
            *size = needed;
            return ras::kErrorBufferTooSmall;
          }
          for (size_t i = 0; i < entries.size(); ++i)
            PutChars(buf + i * RasEntryNameLayout::kSize + 4, ras::kEntryNameLen, entries[i]);
          return 0;
        }};
    lib[name("RasEnumConnections")] =
        RasEnumConnectionsProc{[this](uint8_t* buf, uint32_t* size, uint32_t* count) -> uint32_t {
          calls.push_back("RasEnumConnections");
          if (enumResult) return enumResult;
          if (GetU32(buf) != RasConnLayout::kSize) return ras::kErrorInvalidSize;
          const uint32_t needed = uint32_t(connections.size() * RasConnLayout::kSize);
          *count = uint32_t(connections.size());
          if (needed > *size) {
            *size = needed;
            return ras::kErrorBufferTooSmall;
          }
          for (size_t i = 0; i < connections.size(); ++i) {
            uint8_t* rec = buf + i * RasConnLayout::kSize;
            PutU32(rec + RasConnLayout::kHandle, connections[i].handle);
            PutChars(rec + RasConnLayout::kEntryName, ras::kEntryNameLen, connections[i].entry);
            PutChars(rec + RasConnLayout::kDeviceType, ras::kDeviceTypeLen, connections[i].deviceType);
            PutChars(rec + RasConnLayout::kDeviceName, ras::kDeviceNameLen, connections[i].deviceName);
          }
          return 0;
        }};
    lib[name("RasGetConnectStatus")] = RasGetConnectStatusProc{[this](uint32_t h, uint8_t* st) -> uint32_t {
      calls.push_back("RasGetConnectStatus " + std::to_string(h));
      if (GetU32(st) != RasConnStatusLayout::kSize) return ras::kErrorInvalidSize;
      for (const auto& c : connections) {
        if (c.handle != h) continue;
        PutU32(st + RasConnStatusLayout::kState, c.state);
        return 0;
      }
      if (statusCallsUntilGone != 0) {
        if (statusCallsUntilGone > 0) --statusCallsUntilGone;
        return 0;
      }
      return ras::kErrorInvalidHandle;
    }};
    lib[name("RasGetErrorString")] = RasGetErrorStringProc{[this](uint32_t code, char* buf, uint32_t size) {
      calls.push_back("RasGetErrorString " + std::to_string(size));
      const std::string t = ras::ErrorText(code);
      if (t.empty()) return ras::kErrorInvalidParameter;
      std::snprintf(buf, size, "%s", t.c_str());
      return 0u;
    }};
    lib[name("RasHangUp")] = RasHangUpProc{[this](uint32_t h) -> uint32_t {
      calls.push_back("RasHangUp " + std::to_string(h));
      const auto n = std::erase_if(connections, [h](const Conn& c) { return c.handle == h; });
      return n || statusCallsUntilGone != 0 ? 0 : ras::kErrorInvalidHandle;
    }};
    lib[name("RasGetProjectionInfo")] =
        RasGetProjectionInfoProc{[this](uint32_t h, uint32_t proj, uint8_t* buf, uint32_t* size) -> uint32_t {
          calls.push_back("RasGetProjectionInfo " + std::to_string(h) + " " + std::to_string(proj) + " " +
                          std::to_string(*size));
          if (*size != RasPppIpLayout::kSize || GetU32(buf) != RasPppIpLayout::kSize)
            return ras::kErrorInvalidSize;
          PutChars(buf + RasPppIpLayout::kIpAddress, ras::kIpAddressLen, client);
          PutChars(buf + RasPppIpLayout::kServerIpAddress, ras::kIpAddressLen, server);
          return 0;
        }};
    lib[name("RasGetEntryDialParams")] =
        RasGetEntryDialParamsProc{[this](const char*, uint8_t* p, bool*) -> uint32_t {
          const std::string e = GetChars(p + RasDialParamsLayout::kEntryName, ras::kEntryNameLen);
          calls.push_back("RasGetEntryDialParams " + e);
          if (GetU32(p) != RasDialParamsLayout::kSize) return ras::kErrorInvalidSize;
          auto it = saved.find(e);
          if (it == saved.end()) return ras::kErrorCannotFindPhonebookEntry;
          PutChars(p + RasDialParamsLayout::kUserName, ras::kUserNameLen, it->second.first);
          PutChars(p + RasDialParamsLayout::kPassword, ras::kPasswordLen, it->second.second);
          return 0;
        }};
    lib[name("RasSetEntryDialParams")] =
        RasSetEntryDialParamsProc{[this](const char*, const uint8_t* p, bool remove) -> uint32_t {
          const std::string e = GetChars(p + RasDialParamsLayout::kEntryName, ras::kEntryNameLen);
          calls.push_back("RasSetEntryDialParams " + e + (remove ? " remove" : ""));
          saved[e] = {GetChars(p + RasDialParamsLayout::kUserName, ras::kUserNameLen),
                      GetChars(p + RasDialParamsLayout::kPassword, ras::kPasswordLen)};
          return 0;
        }};
    lib[name("RasDial")] = RasDialProc{[this](const void* ext, const char* pb, const uint8_t* p,
                                              uint32_t kind, RasDialNotifier notifier,
                                              uint32_t* handle) -> uint32_t {
      calls.push_back(
          std::string("RasDial ") + GetChars(p + RasDialParamsLayout::kEntryName, ras::kEntryNameLen) +
          (notifier ? " async" : " sync") + " kind=" + std::to_string(kind) + (ext || pb ? " ext/pb" : ""));
      dialledUsers.push_back(GetChars(p + RasDialParamsLayout::kUserName, ras::kUserNameLen) + "/" +
                             GetChars(p + RasDialParamsLayout::kPassword, ras::kPasswordLen));
      *handle = dialHandleOut;
      if (notifier && asyncDial && dialResult == 0)
        threads.emplace_back([f = asyncDial, n = std::move(notifier)] { f(n); });
      return dialResult;
    }};
    return lib;
  }
};

}  // namespace tarifuhr::test
