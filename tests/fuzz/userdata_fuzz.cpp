// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the user data file loader and checks that what
// it loads can be saved and loaded back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "accounting/UserFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  std::vector<TariffRecord> tariffs;
  TotalsRecord totals;
  DecodeUserData(std::string(reinterpret_cast<const char*>(data), size), tariffs, totals);
  if (tariffs.size() > size / kTariffRecordV2Size + 1) std::abort();  // no phantom records
  const std::string saved = EncodeUserData("Fuzz", tariffs, totals);
  std::vector<TariffRecord> again;
  TotalsRecord totalsAgain;
  if (DecodeUserData(saved, again, totalsAgain) != kLoadOk) std::abort();
  if (again.size() != tariffs.size()) std::abort();
  if (EncodeUserData("Fuzz", again, totalsAgain) != saved) std::abort();
  return 0;
}
