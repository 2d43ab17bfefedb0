// SPDX-License-Identifier: MIT
// The control tool tarifuhr-sim, run as a program against a fresh program
// directory.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/ProgramIdentity.h"
#include "platform/sim/SimNetwork.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

struct Result {
  int code;
  std::string out, err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct SimToolFixture : ::testing::Test {
  testing::TempDir home, scratch;

  std::string Command(const std::string& args) const {
    return "TARIFUHR_HOME=" + Quote(home.Path()) + " " + Quote(TARIFUHR_SIM_TOOL) + " " + args;
  }
  Result Run(const std::string& args) const {
    const std::string out = JoinPath(scratch.Path(), "out"), err = JoinPath(scratch.Path(), "err");
    const int status = std::system((Command(args) + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(out, size_t{1} << 24).value_or(""),
            ReadWholeFile(err, size_t{1} << 24).value_or("")};
  }
};

TEST_F(SimToolFixture, AddDialStatusAndHangUp) {
  const Result help = Run("--help");
  EXPECT_EQ(help.code, 0);
  for (const char* cmd : {"list", "add", "remove", "dial", "hangup", "traffic", "status"})
    EXPECT_THAT(help.out, HasSubstr(cmd));
  for (const char* add : {"'T-Online Flat' --rate 4000/1000", "Busy --fail 676",
                          "Auth --user anna --password geheim --delay 0.2"})
    ASSERT_EQ(Run(std::string("add ") + add).code, 0) << add;
  EXPECT_EQ(Run("list").out,
            "T-Online Flat\tdelay=0\tfail=0\trate=4000/1000\tclient=10.64.1.2\tserver=10.64.1.1\tcheck=nein\n"
            "Busy\tdelay=0\tfail=676\trate=0/0\tclient=10.64.2.2\tserver=10.64.2.1\tcheck=nein\n"
            "Auth\tdelay=0.2\tfail=0\trate=0/0\tclient=10.64.3.2\tserver=10.64.3.1\tcheck=ja\n");

  const Result dial = Run("dial 'T-Online Flat'");
  ASSERT_EQ(dial.code, 0) << dial.err;
  EXPECT_THAT(dial.out, StartsWith("T-Online Flat\tverbunden\tsim"));

  const Result busy = Run("dial Busy");
  EXPECT_EQ(busy.code, 3);
  EXPECT_THAT(busy.err, HasSubstr("676"));
  EXPECT_EQ(Run("dial Auth").code, 3);  // nothing saved: refused
  EXPECT_EQ(Run("dial Auth --user anna --password geheim").code, 0);

  ASSERT_EQ(Run("traffic 'T-Online Flat' 100 20").code, 0);
  const Result status = Run("status");
  ASSERT_EQ(status.code, 0);
  EXPECT_THAT(status.out, MatchesRegex("T-Online Flat\tverbunden\t[0-9]+\t[0-9]+\t[0-9]+\tsim[0-9]+\t[0-9]+\n"
                                       "Auth\tverbunden\t.*"));
  // At least the bytes added by hand, growing with the rate.
  unsigned long long rx = 0, tx = 0;
  ASSERT_EQ(std::sscanf(status.out.c_str(), "T-Online Flat\tverbunden\t%*u\t%llu\t%llu", &rx, &tx), 2);
  EXPECT_GE(rx, 100u);
  EXPECT_GE(tx, 20u);

  EXPECT_EQ(Run("hangup Auth").out, "1 Verbindung(en) getrennt\n");
  EXPECT_EQ(Run("hangup all").out, "1 Verbindung(en) getrennt\n");
  EXPECT_EQ(Run("status").out, "");
  ASSERT_EQ(Run("remove Busy").code, 0);
  EXPECT_THAT(Run("list").out, ::testing::Not(HasSubstr("Busy")));
}

TEST_F(SimToolFixture, VersionIsTheProgramsAndTouchesNothing) {
  for (const char* flag : {"--version", "-v"}) {
    const Result version = Run(flag);
    EXPECT_EQ(version.code, 0) << flag << ": " << version.err;
    EXPECT_EQ(version.out, std::string("tarifuhr-sim (Tarifuhr) ") + kProgramVersion + "\n") << flag;
  }
  EXPECT_FALSE(FileExists(JoinPath(home.Path(), SimNetwork::kStateFile)));
}

TEST_F(SimToolFixture, UnknownEntriesAndBadArgumentsFailClearly) {
  ASSERT_EQ(Run("add A").code, 0);
  for (const char* args : {"dial Nope", "remove Nope", "hangup Nope", "traffic Nope 1 1"}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_THAT(r.err, HasSubstr("Unbekannter Eintrag: Nope")) << args;
  }
  for (auto [args, text] :
       {std::pair{"add A", "gibt es schon"}, {"traffic A 1 1", "Keine offene Verbindung"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_THAT(r.err, HasSubstr(text)) << args;
  }

  for (const char* args : {"", "frobnicate", "add", "add B --rate 12", "add B --rate x/1", "add B --delay -1",
                           "add B --fail 5", "add B --user u", "traffic A 1", "traffic A -1 2", "dial"}) {
    const Result r = Run(args);
    EXPECT_NE(r.code, 0) << args;
    EXPECT_FALSE(r.err.empty()) << args;
  }
  // None of the refused commands changed anything.
  EXPECT_EQ(Run("list").out,
            "A\tdelay=0\tfail=0\trate=0/0\tclient=10.64.1.2\tserver=10.64.1.1\tcheck=nein\n");
}

TEST_F(SimToolFixture, NamesCountsAndStateFilesItCannotTake) {
  ASSERT_EQ(Run("add A --rate 1000/0").code, 0);
  ASSERT_EQ(Run("dial A").code, 0);
  // Only "all" means every connection; an empty name is none.
  EXPECT_EQ(Run("hangup ''").code, 1);
  EXPECT_THAT(Run("status").out, StartsWith("A\tverbunden"));
  EXPECT_THAT(Run("add all").err, HasSubstr("hangup all"));
  // No counter wraps: what the program's 64-bit counts can't hold is refused.
  EXPECT_EQ(Run("traffic A 18446744073709551615 0").code, 1);
  EXPECT_EQ(Run("traffic A 9223372036854000000 0").code, 0);
  const Result more = Run("traffic A 0 1");
  EXPECT_EQ(more.code, 0) << more.err;
  EXPECT_THAT(Run("traffic A 1000000 0").err, HasSubstr("Bytes je Richtung"));
  // The parser's own findings in German.
  EXPECT_THAT(Run("add").err, HasSubstr("Es fehlt die Angabe ENTRY"));
  EXPECT_THAT(Run("lan maybe").err, HasSubstr("Ungültiger Wert"));

  const std::string state = JoinPath(home.Path(), SimNetwork::kStateFile);
  const std::string text = ReadWholeFile(state, size_t{1} << 24).value();
  const std::string entryLine =
      text.substr(text.find("entry\t"), text.find('\n', text.find("entry\t")) - text.find("entry\t") + 1);
  {
    std::FILE* f = std::fopen(state.c_str(), "ab");
    std::fputs(entryLine.c_str(), f);
    std::fclose(f);
  }
  EXPECT_THAT(Run("list").err, HasSubstr("Eintrag doppelt: A"));
  RemoveFile(state);
  ASSERT_EQ(::mkdir(state.c_str(), 0755), 0);
  for (const char* command : {"list", "status"}) {
    const Result r = Run(command);
    EXPECT_EQ(r.code, 1) << command;
    EXPECT_THAT(r.err, HasSubstr("kann nicht gelesen werden")) << command;
  }
}

// Two tool processes at once, in a loop: every change arrives.
TEST_F(SimToolFixture, TwoToolsAtOnceLoseNoChange) {
  ASSERT_EQ(Run("add Shared").code, 0);
  ASSERT_EQ(Run("dial Shared").code, 0);
  const std::string loop = "for i in $(seq 15); do " + Command("traffic Shared 1 2") + " || exit 1; " +
                           Command("add \"$0-$i\"") + " || exit 1; done";
  const std::string both = "sh -c " + Quote(loop) + " a & p1=$!; sh -c " + Quote(loop) +
                           " b & p2=$!; wait $p1 || exit 1; wait $p2 || exit 1";
  ASSERT_EQ(std::system(("sh -c " + Quote(both)).c_str()), 0);
  const Result status = Run("status");
  EXPECT_THAT(status.out, MatchesRegex("Shared\tverbunden\t[0-9]+\t30\t60\tsim1\t1\n"));
  const Result list = Run("list");
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 31);
}

}  // namespace
}  // namespace tarifuhr
