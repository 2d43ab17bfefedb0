// SPDX-License-Identifier: MIT
#include "platform/nm/NmReasons.h"

#include <NetworkManager.h>

#include "platform/ras/RasApi.h"

namespace tarifuhr {

uint32_t DialStateOfDevice(uint32_t state) {
  switch (state) {
    case NM_DEVICE_STATE_PREPARE: return ras::kPortOpened;
    case NM_DEVICE_STATE_CONFIG: return ras::kConnectDevice;
    case NM_DEVICE_STATE_NEED_AUTH: return ras::kAuthenticate;
    case NM_DEVICE_STATE_IP_CONFIG:
    case NM_DEVICE_STATE_IP_CHECK:
    case NM_DEVICE_STATE_SECONDARIES: return ras::kAuthenticated;
    case NM_DEVICE_STATE_ACTIVATED: return ras::kConnected;
    default: return ras::kOpenPort;
  }
}

uint32_t DialErrorOf(uint32_t deviceReason, uint32_t activeReason) {
  switch (deviceReason) {
    case NM_DEVICE_STATE_REASON_NO_SECRETS:
    case NM_DEVICE_STATE_REASON_SUPPLICANT_DISCONNECT:
    case NM_DEVICE_STATE_REASON_PPP_FAILED:
    case NM_DEVICE_STATE_REASON_GSM_REGISTRATION_DENIED:
    case NM_DEVICE_STATE_REASON_GSM_PIN_CHECK_FAILED:
    case NM_DEVICE_STATE_REASON_SIM_PIN_INCORRECT:
    case NM_DEVICE_STATE_REASON_GSM_SIM_PIN_REQUIRED:
    case NM_DEVICE_STATE_REASON_GSM_SIM_PUK_REQUIRED: return ras::kErrorAuthenticationFailure;
    case NM_DEVICE_STATE_REASON_MODEM_BUSY: return ras::kErrorLineBusy;
    case NM_DEVICE_STATE_REASON_MODEM_NO_DIAL_TONE: return ras::kErrorNoDialTone;
    case NM_DEVICE_STATE_REASON_MODEM_NO_CARRIER:
    case NM_DEVICE_STATE_REASON_MODEM_DIAL_TIMEOUT:
    case NM_DEVICE_STATE_REASON_SUPPLICANT_TIMEOUT:
    case NM_DEVICE_STATE_REASON_GSM_REGISTRATION_TIMEOUT:
    case NM_DEVICE_STATE_REASON_IP_CONFIG_UNAVAILABLE:
    case NM_DEVICE_STATE_REASON_BT_FAILED: return ras::kErrorNoAnswer;
    case NM_DEVICE_STATE_REASON_PPP_START_FAILED:
    case NM_DEVICE_STATE_REASON_MODEM_NOT_FOUND:
    case NM_DEVICE_STATE_REASON_MODEM_MANAGER_UNAVAILABLE:
    case NM_DEVICE_STATE_REASON_GSM_SIM_NOT_INSERTED:
    case NM_DEVICE_STATE_REASON_REMOVED: return ras::kErrorPortNotAvailable;
    case NM_DEVICE_STATE_REASON_USER_REQUESTED: return ras::kErrorUserDisconnection;
    default: break;
  }
  switch (activeReason) {
    case NM_ACTIVE_CONNECTION_STATE_REASON_NO_SECRETS:
    case NM_ACTIVE_CONNECTION_STATE_REASON_LOGIN_FAILED: return ras::kErrorAuthenticationFailure;
    case NM_ACTIVE_CONNECTION_STATE_REASON_CONNECT_TIMEOUT:
    case NM_ACTIVE_CONNECTION_STATE_REASON_SERVICE_START_TIMEOUT: return ras::kErrorNoAnswer;
    case NM_ACTIVE_CONNECTION_STATE_REASON_USER_DISCONNECTED:
    case NM_ACTIVE_CONNECTION_STATE_REASON_CONNECTION_REMOVED: return ras::kErrorUserDisconnection;
    case NM_ACTIVE_CONNECTION_STATE_REASON_DEVICE_REALIZE_FAILED:
    case NM_ACTIVE_CONNECTION_STATE_REASON_DEVICE_REMOVED:
    case NM_ACTIVE_CONNECTION_STATE_REASON_SERVICE_START_FAILED: return ras::kErrorPortNotAvailable;
    default: return ras::kErrorFromDevice;
  }
}

uint32_t DialErrorOfRefusal(const std::string& message) {
  if (message.find("device") != std::string::npos || message.find("Device") != std::string::npos)
    return ras::kErrorPortNotAvailable;
  if (message.find("secret") != std::string::npos) return ras::kErrorAuthenticationFailure;
  return ras::kErrorFromDevice;
}

std::string DeviceTypeOfProfile(const std::string& type) {
  if (type == "gsm" || type == "cdma" || type == "bluetooth") return "modem";
  if (type == "pppoe") return "PPPoE";
  if (type == "vpn" || type == "wireguard") return "vpn";
  if (type == "802-11-wireless") return "wlan";
  if (type == "802-3-ethernet" || type == "veth") return "lan";
  return type;
}

bool IsDialUpProfileType(const std::string& type) {
  return type == "pppoe" || type == "gsm" || type == "cdma" || type == "bluetooth";
}

}  // namespace tarifuhr
