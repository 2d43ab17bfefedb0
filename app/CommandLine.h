// SPDX-License-Identifier: MIT
#pragma once
// The program's options, read before anything else happens: --help and
// --version answer and end the program without a display, without the
// user's files and without the single-instance lock.

#include <optional>

namespace tarifuhr {

// The exit code when the command line ends the program here; nothing when
// the program is to start.
std::optional<int> AnswerCommandLine(int argc, char** argv);

}  // namespace tarifuhr
