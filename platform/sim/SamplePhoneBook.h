// SPDX-License-Identifier: MIT
#pragma once
// The phone book a new simulated dial-up network starts with, so that a
// newcomer has something to dial.

#include "platform/sim/SimNetwork.h"

namespace tarifuhr {

// Adds two sample entries when the network has no state file yet.
void EnsureSamplePhoneBook(const SimNetwork& network);

}  // namespace tarifuhr
