// SPDX-License-Identifier: MIT
// Connection state texts of the dial-up component in its three languages.

#include <cstdint>
#include <string>

#include "connection/DialUp.h"

namespace tarifuhr {
namespace {

struct StateTexts {
  uint32_t state;
  const char* english;
  const char* czech;
  const char* portuguese;
};

constexpr StateTexts kTexts[] = {
    {0, "Opening port", "Otevírá se port", "Abrindo a porta"},
    {1, "Port opened", "Port otevřen", "Porta aberta"},
    {2, "Connecting device", "Probíhá spojování", "Conectando componente"},
    {3, "Device connected", "Navázáno spojení", "Componente conenctado"},
    {4, "All devices connected", "Všechna zařízení spojena", "Todos componentes conectados"},
    {5, "Start authenticating", "Začínají se ověřovat uživatelské informace", "Iniciando autenticaçao"},
    {6, "Authentication: notify", "Ověření: oznámení", "Autenticaçao: enviando"},
    {7, "Authentication: retry", "Ověření: opakování", "Autenticaçao: Reenviando"},
    {8, "Authentication: callback", "Ověření: zpětné volání", "Autenticaçao: Esperando"},
    {9, "Authentication: change password", "Ověření: změna hesla", "Autenticaçao: Senha incorreta"},
    {10, "Authentication: projecting", "Ověření: návrh", "Autenticaçao: enviando"},
    {11, "Authentication: link speed", "Ověření: spojovací rychlost", "Autenticaçao: Velocidade da linha"},
    {12, "Authentication: acknowledge", "Ověření: potvrzení", "Autenticaçao: enviando"},
    {13, "Authentication: reauthenticate", "Ověření: znovuověření", "Autenticaçao: Re-Autenticando"},
    {14, "Authenticated", "Ověřeno", "Autenticado"},
    {15, "Preparing for callback", "Příprava na zpetné volání", "Preparando para callback"},
    {16, "Waiting for modem reset", "Čeká se na reset modemu", "Esperando Reset do modem"},
    {17, "Waiting for callback", "Čeká se na zpětné volání", "Esperando callback"},
    {18, "Projected", "Navrhnuto", "Enviando"},
    {19, "Start authentication", "Ověřování uživatelských informací", "Autenticaçao iniciada"},
    {20, "Callback complete", "Zpetné volání hotovo", "Callback completo"},
    {21, "Logging on network", "Připojuje se na síť", "Logando na rede"},
    {0x1000, "Interactive", "Interakce", "Modo Interativo"},
    {0x1001, "Retry Authentication", "Opakování oveření", "Re-autenticar"},
    {0x1002, "Callback set by caller", "Zpeětné volání zvoleno uživatelem",
     "Callback foi conf. pelo destino"},
    {0x1003, "Password expired", "Platnost hesla vypršela", "Senha inválida"},
    {0x2000, "Connected", "Spojeno", "Conectado"},
    {0x2001, "Disconnected", "Rozpojeno", "Desconectado"},
};

}  // namespace

std::string ConnectionStateText(StatusLanguage language, uint32_t state) {
  for (const auto& t : kTexts) {
    if (t.state != state) continue;
    switch (language) {
      case StatusLanguage::Czech: return t.czech;
      case StatusLanguage::Portuguese: return t.portuguese;
      default: return t.english;
    }
  }
  return "";
}

}  // namespace tarifuhr
