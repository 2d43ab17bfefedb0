// SPDX-License-Identifier: MIT
#pragma once
// Filling and reading the RAS records the way every backend must: the size
// fields checked, too small buffers answered with the size needed, names
// converted between UTF-8 and the ANSI code page.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras/RasApi.h"

namespace tarifuhr {

// An open connection as RasEnumConnections lists it; names in UTF-8.
struct RasConnectionInfo {
  uint32_t handle = 0;
  std::string entry;
  std::string deviceType;
  std::string deviceName;
};

// RasEnumEntries' buffer checks: 0 when the buffer may be filled.
uint32_t CheckEntryBuffer(const uint8_t* buffer, const uint32_t* size, const uint32_t* count);
uint32_t WriteEntryNames(uint8_t* buffer, uint32_t* size, uint32_t* count,
                         const std::vector<std::string>& names);

uint32_t CheckConnectionBuffer(const uint8_t* buffer, const uint32_t* size, const uint32_t* count);
uint32_t WriteConnections(uint8_t* buffer, uint32_t* size, uint32_t* count,
                          const std::vector<RasConnectionInfo>& connections);

// A status record: state, error and device.
uint32_t CheckStatusRecord(const uint8_t* status);
void WriteStatus(uint8_t* status, uint32_t state, const std::string& deviceType,
                 const std::string& deviceName);

// The PPP IP projection: checks and fills the record; its code.
uint32_t CheckProjectionBuffer(uint32_t projection, const uint8_t* buffer, uint32_t* size);
void WriteProjection(uint8_t* buffer, uint32_t* size, const std::string& client, const std::string& server);

// RasGetErrorString: the text of a code into the buffer.
uint32_t WriteErrorString(uint32_t code, char* buffer, uint32_t size);

// Dial parameters, names in UTF-8.
struct RasDialParams {
  std::string entry, user, password;
};
uint32_t CheckDialParams(const uint8_t* params);
RasDialParams ReadDialParams(const uint8_t* params);
void WriteSavedCredentials(uint8_t* params, const std::string& user, const std::string& password);

}  // namespace tarifuhr
