// SPDX-License-Identifier: MIT
#include "platform/ras/RasApi.h"

#include <algorithm>

namespace tarifuhr {

std::string GetChars(const uint8_t* p, size_t len) {
  const auto* c = reinterpret_cast<const char*>(p);
  return std::string(c, std::find(c, c + len, '\0'));
}

void PutChars(uint8_t* p, size_t len, std::string_view text) {
  std::memset(p, 0, len);
  if (len == 0) return;
  std::memcpy(p, text.data(), std::min(text.size(), len - 1));
}

namespace ras {

std::string ErrorText(uint32_t code) {
  switch (code) {
    case kSuccess: return "";
    case kErrorInvalidHandle: return "The handle is invalid.";
    case kErrorInvalidParameter: return "The parameter is incorrect.";
    case kErrorMoreData: return "More data is available.";
    case kErrorBufferTooSmall: return "The buffer is too small.";
    case kErrorCannotOpenPhonebook: return "The system could not open the phone book file.";
    case kErrorCannotFindPhonebookEntry:
      return "The system could not find the phone book entry for this connection.";
    case kErrorInvalidSize: return "The structure size is incorrect.";
    case kErrorPortNotAvailable: return "The modem is already in use or is not configured properly.";
    case kErrorNoConnection: return "The connection was terminated.";
    case kErrorRequestTimeout: return "The request has timed out.";
    case kErrorUserDisconnection: return "The port was disconnected by the user.";
    case kErrorFromDevice: return "The modem (or other connecting device) has reported an error.";
    case kErrorNoDialTone: return "There was no dial tone.";
    case kErrorLineBusy: return "The phone line is busy.";
    case kErrorNoAnswer: return "The remote computer did not respond.";
    case kErrorAuthenticationFailure:
      return "Access was denied because the username and/or password was invalid on the domain.";
    case kErrorProjectionNotComplete: return "The connection has not completed its projection.";
    default: return "";
  }
}

}  // namespace ras
}  // namespace tarifuhr
