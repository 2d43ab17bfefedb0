// SPDX-License-Identifier: MIT
#pragma once
// The dial-up networking (RAS) interface as the program sees it: result
// codes, the ANSI records with their platform byte layouts, and the nine
// functions a backend offers under a library name.
//
// Records travel as byte buffers with the platform's layout (32-bit
// handles, little-endian DWORDs, zero-terminated single-byte strings), so a
// backend fills exactly what the Windows functions fill. Names in the
// records are in the ANSI code page (Windows-1252 here); the component above
// converts them to UTF-8.
//
// A later NetworkManager backend fits behind the same table: phone-book
// entries are its connection profiles, open connections its active
// connections (entry name = profile name, device name = interface), RasDial
// without a notifier blocks until the activation has succeeded or failed,
// RasHangUp deactivates, the dial parameters map to the profile's stored
// user name and password, and the interface's kernel counters serve the
// device statistics (InterfaceCounters).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include "platform/LittleEndian.h"

namespace tarifuhr {

// Result codes (0 = success) as the platform numbers them.
namespace ras {
inline constexpr uint32_t kSuccess = 0;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorInvalidSize = 632;
inline constexpr uint32_t kErrorBufferTooSmall = 603;
inline constexpr uint32_t kErrorCannotOpenPhonebook = 621;
inline constexpr uint32_t kErrorCannotFindPhonebookEntry = 623;
inline constexpr uint32_t kErrorNoConnection = 668;
inline constexpr uint32_t kErrorRequestTimeout = 638;
inline constexpr uint32_t kErrorUserDisconnection = 631;
inline constexpr uint32_t kErrorFromDevice = 651;
inline constexpr uint32_t kErrorNoDialTone = 680;
inline constexpr uint32_t kErrorPortNotAvailable = 633;
inline constexpr uint32_t kErrorLineBusy = 676;
inline constexpr uint32_t kErrorNoAnswer = 678;
inline constexpr uint32_t kErrorAuthenticationFailure = 691;
inline constexpr uint32_t kErrorProjectionNotComplete = 730;
inline constexpr uint32_t kErrorInvalidParameter = 87;

// Connection states (RASCONNSTATE).
inline constexpr uint32_t kOpenPort = 0;
inline constexpr uint32_t kPortOpened = 1;
inline constexpr uint32_t kConnectDevice = 2;
inline constexpr uint32_t kDeviceConnected = 3;
inline constexpr uint32_t kAllDevicesConnected = 4;
inline constexpr uint32_t kAuthenticate = 5;
inline constexpr uint32_t kAuthenticated = 14;
inline constexpr uint32_t kConnected = 0x2000;
inline constexpr uint32_t kDisconnected = 0x2001;

inline constexpr uint32_t kProjectionPppIp = 0x8021;
// Message number of the dial notifications (WM_RASDIALEVENT).
inline constexpr uint32_t kDialEventMessage = 0xCCCD;

// Field lengths including the terminating zero.
inline constexpr size_t kEntryNameLen = 257;
inline constexpr size_t kDeviceTypeLen = 17;
inline constexpr size_t kDeviceNameLen = 129;
inline constexpr size_t kPhoneNumberLen = 129;
inline constexpr size_t kUserNameLen = 257;
inline constexpr size_t kPasswordLen = 257;
inline constexpr size_t kDomainLen = 16;
inline constexpr size_t kIpAddressLen = 16;

// The platform's English error text for a code; "" when it has none.
std::string ErrorText(uint32_t code);
}  // namespace ras

// Fixed character fields inside record buffers (DWORDs: platform/LittleEndian.h).
// Characters of a field up to its first zero (at most `len`).
std::string GetChars(const uint8_t* p, size_t len);
// Copies at most len-1 characters and a terminating zero; the rest of the
// field is zeroed.
void PutChars(uint8_t* p, size_t len, std::string_view text);

// RASENTRYNAMEA: dwSize, szEntryName[257].
struct RasEntryNameLayout {
  static constexpr size_t kSize = 264;
  static constexpr size_t kEntryName = 4;
};
// RASCONNA: dwSize, hrasconn, szEntryName[257], szDeviceType[17],
// szDeviceName[129].
struct RasConnLayout {
  static constexpr size_t kSize = 412;
  static constexpr size_t kHandle = 4;
  static constexpr size_t kEntryName = 8;
  static constexpr size_t kDeviceType = 265;
  static constexpr size_t kDeviceName = 282;
};
// RASCONNSTATUSA: dwSize, rasconnstate, dwError, szDeviceType[17],
// szDeviceName[129].
struct RasConnStatusLayout {
  static constexpr size_t kSize = 160;
  static constexpr size_t kState = 4;
  static constexpr size_t kError = 8;
  static constexpr size_t kDeviceType = 12;
  static constexpr size_t kDeviceName = 29;
};
// RASDIALPARAMSA: dwSize, szEntryName[257], szPhoneNumber[129],
// szCallbackNumber[129], szUserName[257], szPassword[257], szDomain[16].
struct RasDialParamsLayout {
  static constexpr size_t kSize = 1052;
  static constexpr size_t kEntryName = 4;
  static constexpr size_t kPhoneNumber = 261;
  static constexpr size_t kCallbackNumber = 390;
  static constexpr size_t kUserName = 519;
  static constexpr size_t kPassword = 776;
  static constexpr size_t kDomain = 1033;
};
// RASPPPIPA: dwSize, dwError, szIpAddress[16], szServerIpAddress[16].
struct RasPppIpLayout {
  static constexpr size_t kSize = 40;
  static constexpr size_t kError = 4;
  static constexpr size_t kIpAddress = 8;
  static constexpr size_t kServerIpAddress = 24;
};

// The dial notifier of notifier kind 0: message number, connection state,
// error code. Called on a thread of the backend's own.
using RasDialNotifier = std::function<void(uint32_t msg, uint32_t state, uint32_t error)>;

// The nine functions. Buffers are the records above; `phonebook` and
// `reserved` are null for the defaults. Sizes and counts in and out as the
// platform defines them.
struct RasDialProc {
  std::function<uint32_t(const void* extensions, const char* phonebook, const uint8_t* dialParams,
                         uint32_t notifierKind, RasDialNotifier notifier, uint32_t* handle)>
      fn;
};
struct RasEnumConnectionsProc {
  std::function<uint32_t(uint8_t* buffer, uint32_t* bufferSize, uint32_t* count)> fn;
};
struct RasEnumEntriesProc {
  std::function<uint32_t(const char* reserved, const char* phonebook, uint8_t* buffer, uint32_t* bufferSize,
                         uint32_t* count)>
      fn;
};
struct RasGetConnectStatusProc {
  std::function<uint32_t(uint32_t handle, uint8_t* status)> fn;
};
struct RasGetErrorStringProc {
  std::function<uint32_t(uint32_t code, char* buffer, uint32_t bufferSize)> fn;
};
struct RasHangUpProc {
  std::function<uint32_t(uint32_t handle)> fn;
};
struct RasGetProjectionInfoProc {
  std::function<uint32_t(uint32_t handle, uint32_t projection, uint8_t* buffer, uint32_t* bufferSize)> fn;
};
struct RasSetEntryDialParamsProc {
  std::function<uint32_t(const char* phonebook, const uint8_t* dialParams, bool removePassword)> fn;
};
struct RasGetEntryDialParamsProc {
  std::function<uint32_t(const char* phonebook, uint8_t* dialParams, bool* hasPassword)> fn;
};

using RasProc = std::variant<RasDialProc, RasEnumConnectionsProc, RasEnumEntriesProc, RasGetConnectStatusProc,
                             RasGetErrorStringProc, RasHangUpProc, RasGetProjectionInfoProc,
                             RasSetEntryDialParamsProc, RasGetEntryDialParamsProc>;

}  // namespace tarifuhr
