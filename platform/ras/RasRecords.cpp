// SPDX-License-Identifier: MIT
#include "platform/ras/RasRecords.h"

#include <cstring>

#include "platform/Codepage.h"

namespace tarifuhr {

uint32_t CheckEntryBuffer(const uint8_t* buffer, const uint32_t* size, const uint32_t* count) {
  if (!buffer || !size || !count) return ras::kErrorInvalidParameter;
  if (*size < RasEntryNameLayout::kSize || GetU32(buffer) != RasEntryNameLayout::kSize)
    return ras::kErrorInvalidSize;
  return 0;
}

uint32_t WriteEntryNames(uint8_t* buffer, uint32_t* size, uint32_t* count,
                         const std::vector<std::string>& names) {
  const uint32_t needed = uint32_t(names.size() * RasEntryNameLayout::kSize);
  *count = uint32_t(names.size());
  if (needed > *size) {
    *size = needed;
    return ras::kErrorBufferTooSmall;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    uint8_t* rec = buffer + i * RasEntryNameLayout::kSize;
    PutU32(rec, RasEntryNameLayout::kSize);
    PutChars(rec + RasEntryNameLayout::kEntryName, ras::kEntryNameLen, Utf8ToCp1252(names[i]));
  }
  *size = needed;
  return 0;
}

uint32_t CheckConnectionBuffer(const uint8_t* buffer, const uint32_t* size, const uint32_t* count) {
  if (!buffer || !size || !count) return ras::kErrorInvalidParameter;
  if (*size < RasConnLayout::kSize || GetU32(buffer) != RasConnLayout::kSize) return ras::kErrorInvalidSize;
  return 0;
}

uint32_t WriteConnections(uint8_t* buffer, uint32_t* size, uint32_t* count,
                          const std::vector<RasConnectionInfo>& connections) {
  const uint32_t needed = uint32_t(connections.size() * RasConnLayout::kSize);
  *count = uint32_t(connections.size());
  if (needed > *size) {
    *size = needed;
    return ras::kErrorBufferTooSmall;
  }
  for (size_t i = 0; i < connections.size(); ++i) {
    const RasConnectionInfo& c = connections[i];
    uint8_t* rec = buffer + i * RasConnLayout::kSize;
    PutU32(rec, RasConnLayout::kSize);
    PutU32(rec + RasConnLayout::kHandle, c.handle);
    PutChars(rec + RasConnLayout::kEntryName, ras::kEntryNameLen, Utf8ToCp1252(c.entry));
    PutChars(rec + RasConnLayout::kDeviceType, ras::kDeviceTypeLen, c.deviceType);
    PutChars(rec + RasConnLayout::kDeviceName, ras::kDeviceNameLen, c.deviceName);
  }
  *size = needed;
  return 0;
}

uint32_t CheckStatusRecord(const uint8_t* status) {
  if (!status) return ras::kErrorInvalidParameter;
  if (GetU32(status) != RasConnStatusLayout::kSize) return ras::kErrorInvalidSize;
  return 0;
}

void WriteStatus(uint8_t* status, uint32_t state, const std::string& deviceType,
                 const std::string& deviceName) {
  PutU32(status + RasConnStatusLayout::kState, state);
  PutU32(status + RasConnStatusLayout::kError, 0);
  PutChars(status + RasConnStatusLayout::kDeviceType, ras::kDeviceTypeLen, deviceType);
  PutChars(status + RasConnStatusLayout::kDeviceName, ras::kDeviceNameLen, deviceName);
}

uint32_t CheckProjectionBuffer(uint32_t projection, const uint8_t* buffer, uint32_t* size) {
  if (!buffer || !size) return ras::kErrorInvalidParameter;
  if (projection != ras::kProjectionPppIp) return ras::kErrorInvalidParameter;
  if (*size < RasPppIpLayout::kSize) {
    *size = RasPppIpLayout::kSize;
    return ras::kErrorBufferTooSmall;
  }
  if (GetU32(buffer) != RasPppIpLayout::kSize) return ras::kErrorInvalidSize;
  return 0;
}

void WriteProjection(uint8_t* buffer, uint32_t* size, const std::string& client, const std::string& server) {
  PutU32(buffer + RasPppIpLayout::kError, 0);
  PutChars(buffer + RasPppIpLayout::kIpAddress, ras::kIpAddressLen, client);
  PutChars(buffer + RasPppIpLayout::kServerIpAddress, ras::kIpAddressLen, server);
  *size = RasPppIpLayout::kSize;
}

uint32_t WriteErrorString(uint32_t code, char* buffer, uint32_t size) {
  if (!buffer) return ras::kErrorInvalidParameter;
  const std::string text = ras::ErrorText(code);
  if (text.empty()) return ras::kErrorInvalidParameter;
  if (text.size() + 1 > size) return ras::kErrorBufferTooSmall;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return 0;
}

uint32_t CheckDialParams(const uint8_t* params) {
  if (!params) return ras::kErrorInvalidParameter;
  if (GetU32(params) != RasDialParamsLayout::kSize) return ras::kErrorInvalidSize;
  return 0;
}

RasDialParams ReadDialParams(const uint8_t* params) {
  return {Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kEntryName, ras::kEntryNameLen)),
          Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kUserName, ras::kUserNameLen)),
          Cp1252ToUtf8(GetChars(params + RasDialParamsLayout::kPassword, ras::kPasswordLen))};
}

void WriteSavedCredentials(uint8_t* params, const std::string& user, const std::string& password) {
  PutChars(params + RasDialParamsLayout::kPhoneNumber, ras::kPhoneNumberLen, "");
  PutChars(params + RasDialParamsLayout::kUserName, ras::kUserNameLen, Utf8ToCp1252(user));
  PutChars(params + RasDialParamsLayout::kPassword, ras::kPasswordLen, Utf8ToCp1252(password));
}

}  // namespace tarifuhr
