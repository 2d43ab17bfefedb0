// SPDX-License-Identifier: MIT
// Connection state texts of the dial-up component in its four languages, and
// its German texts of the platform's error codes.

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
  const char* german;
};

constexpr StateTexts kTexts[] = {
    {0, "Opening port", "Otevírá se port", "Abrindo a porta", "Port wird geöffnet …"},
    {1, "Port opened", "Port otevřen", "Porta aberta", "Port geöffnet"},
    {2, "Connecting device", "Probíhá spojování", "Conectando componente", "Gerät wird verbunden …"},
    {3, "Device connected", "Navázáno spojení", "Componente conenctado", "Gerät verbunden"},
    {4, "All devices connected", "Všechna zařízení spojena", "Todos componentes conectados",
     "Alle Geräte verbunden"},
    {5, "Start authenticating", "Začínají se ověřovat uživatelské informace", "Iniciando autenticaçao",
     "Anmeldung …"},
    {6, "Authentication: notify", "Ověření: oznámení", "Autenticaçao: enviando",
     "Anmeldung: Benachrichtigung"},
    {7, "Authentication: retry", "Ověření: opakování", "Autenticaçao: Reenviando",
     "Anmeldung: neuer Versuch"},
    {8, "Authentication: callback", "Ověření: zpětné volání", "Autenticaçao: Esperando",
     "Anmeldung: Rückruf"},
    {9, "Authentication: change password", "Ověření: změna hesla", "Autenticaçao: Senha incorreta",
     "Anmeldung: Passwort ändern"},
    {10, "Authentication: projecting", "Ověření: návrh", "Autenticaçao: enviando",
     "Anmeldung: Protokolle werden ausgehandelt"},
    {11, "Authentication: link speed", "Ověření: spojovací rychlost", "Autenticaçao: Velocidade da linha",
     "Anmeldung: Verbindungsgeschwindigkeit"},
    {12, "Authentication: acknowledge", "Ověření: potvrzení", "Autenticaçao: enviando",
     "Anmeldung: Bestätigung"},
    {13, "Authentication: reauthenticate", "Ověření: znovuověření", "Autenticaçao: Re-Autenticando",
     "Anmeldung wird wiederholt"},
    {14, "Authenticated", "Ověřeno", "Autenticado", "Angemeldet"},
    {15, "Preparing for callback", "Příprava na zpetné volání", "Preparando para callback",
     "Rückruf wird vorbereitet"},
    {16, "Waiting for modem reset", "Čeká se na reset modemu", "Esperando Reset do modem",
     "Warten auf Modem-Reset"},
    {17, "Waiting for callback", "Čeká se na zpětné volání", "Esperando callback", "Warten auf Rückruf"},
    {18, "Projected", "Navrhnuto", "Enviando", "Protokolle ausgehandelt"},
    {19, "Start authentication", "Ověřování uživatelských informací", "Autenticaçao iniciada",
     "Anmeldung beginnt"},
    {20, "Callback complete", "Zpetné volání hotovo", "Callback completo", "Rückruf abgeschlossen"},
    {21, "Logging on network", "Připojuje se na síť", "Logando na rede", "Anmeldung am Netzwerk …"},
    {0x1000, "Interactive", "Interakce", "Modo Interativo", "Interaktiv"},
    {0x1001, "Retry Authentication", "Opakování oveření", "Re-autenticar", "Anmeldung wiederholen"},
    {0x1002, "Callback set by caller", "Zpeětné volání zvoleno uživatelem", "Callback foi conf. pelo destino",
     "Rückruf vom Anrufer festgelegt"},
    {0x1003, "Password expired", "Platnost hesla vypršela", "Senha inválida", "Passwort abgelaufen"},
    {0x2000, "Connected", "Spojeno", "Conectado", "Verbunden"},
    {0x2001, "Disconnected", "Rozpojeno", "Desconectado", "Getrennt"},
};

}  // namespace

std::string ConnectionStateText(StatusLanguage language, uint32_t state) {
  for (const auto& t : kTexts) {
    if (t.state != state) continue;
    switch (language) {
      case StatusLanguage::Czech: return t.czech;
      case StatusLanguage::Portuguese: return t.portuguese;
      case StatusLanguage::German: return t.german;
      default: return t.english;
    }
  }
  return "";
}

std::string ConnectionErrorText(StatusLanguage language, uint32_t code) {
  if (language != StatusLanguage::German) return "";
  switch (code) {
    case ras::kErrorInvalidHandle: return "Das Handle ist ungültig.";
    case ras::kErrorInvalidParameter: return "Ein Parameter ist falsch.";
    case ras::kErrorMoreData: return "Es sind weitere Daten vorhanden.";
    case ras::kErrorBufferTooSmall: return "Der Puffer ist zu klein.";
    case ras::kErrorCannotOpenPhonebook: return "Das Telefonbuch konnte nicht geöffnet werden.";
    case ras::kErrorCannotFindPhonebookEntry: return "Der Telefonbucheintrag wurde nicht gefunden.";
    case ras::kErrorInvalidSize: return "Die Größe der Struktur ist falsch.";
    case ras::kErrorPortNotAvailable:
      return "Das Modem wird schon verwendet oder ist nicht richtig eingerichtet.";
    case ras::kErrorNoConnection: return "Die Verbindung wurde beendet.";
    case ras::kErrorRequestTimeout: return "Die Anfrage hat zu lange gedauert.";
    case ras::kErrorUserDisconnection: return "Die Verbindung wurde vom Benutzer getrennt.";
    case ras::kErrorFromDevice: return "Das Modem (oder ein anderes Gerät) hat einen Fehler gemeldet.";
    case ras::kErrorNoDialTone: return "Es gibt kein Freizeichen.";
    case ras::kErrorLineBusy: return "Die Leitung ist besetzt.";
    case ras::kErrorNoAnswer: return "Die Gegenstelle antwortet nicht.";
    case ras::kErrorAuthenticationFailure:
      return "Der Zugang wurde verweigert: Benutzername oder Passwort ist falsch.";
    case ras::kErrorProjectionNotComplete:
      return "Die Verbindung hat ihre Protokolle noch nicht ausgehandelt.";
    default: return "";
  }
}

}  // namespace tarifuhr
