// SPDX-License-Identifier: MIT
// Arbitrary simulator state files: parsing refuses with SimError or gives a
// state that is written and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/sim/SimNetwork.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  SimState state;
  try {
    state = ParseSimState(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const SimError&) {
    return 0;
  }
  const std::string text = FormatSimState(state);
  try {
    if (FormatSimState(ParseSimState(text)) != text) std::abort();
  } catch (const SimError&) {
    std::abort();  // what the program writes it must read
  }
  return 0;
}
