// SPDX-License-Identifier: MIT
#pragma once
// Where users write to the makers: shown in the About box, and where an
// error report goes when the build names no other address.

namespace tarifuhr {

inline constexpr const char* kMakersSupportAddress = "support@tarifuhr.example";

}  // namespace tarifuhr
