// SPDX-License-Identifier: MIT
// Arbitrary registry files parse, and what is written back parses to the
// same keys and values.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/RegFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  const RegDocument doc = ParseRegText(std::string(reinterpret_cast<const char*>(data), size));
  const std::string text = FormatRegText(doc);
  if (FormatRegText(ParseRegText(text)) != text) std::abort();
  return 0;
}
