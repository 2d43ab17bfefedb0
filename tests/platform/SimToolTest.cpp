// The control tool tarifuhr-sim, run as a program against a fresh program
// directory.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "platform/Files.h"
#include "platform/sim/SimNetwork.h"
#include "tests/platform/TempDir.h"

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
  test::TempDir home;
  test::TempDir scratch;

  std::string Command(const std::string& args) const {
    return "TARIFUHR_HOME=" + Quote(home.Path()) + " " + Quote(TARIFUHR_SIM_TOOL) + " " + args;
  }
  Result Run(const std::string& args) const {
    const std::string out = JoinPath(scratch.Path(), "out"), err = JoinPath(scratch.Path(), "err");
    const int status = std::system((Command(args) + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(out).value_or(""),
            ReadWholeFile(err).value_or("")};
  }
};

TEST_F(SimToolFixture, AddDialStatusAndHangUp) {
  const Result help = Run("--help");
  EXPECT_EQ(help.code, 0);
  for (const char* cmd : {"list", "add", "remove", "dial", "hangup", "traffic", "status"})
    EXPECT_THAT(help.out, HasSubstr(cmd));

  ASSERT_EQ(Run("add 'T-Online Flat' --rate 4000/1000").code, 0);
  ASSERT_EQ(Run("add Busy --fail 676").code, 0);
  ASSERT_EQ(Run("add Auth --user anna --password geheim --delay 0.2").code, 0);
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
  std::istringstream lines(status.out);
  std::string first, second;
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_THAT(first, MatchesRegex("T-Online Flat\tverbunden\t[0-9]+\t[0-9]+\t[0-9]+\tsim[0-9]+\t[0-9]+"));
  EXPECT_THAT(second, StartsWith("Auth\tverbunden\t"));
  // At least the bytes added by hand, growing with the rate.
  std::vector<std::string> cols;
  std::istringstream row(first);
  for (std::string c; std::getline(row, c, '\t');) cols.push_back(c);
  ASSERT_EQ(cols.size(), 7u);
  EXPECT_GE(std::stoull(cols[3]), 100u);
  EXPECT_GE(std::stoull(cols[4]), 20u);

  EXPECT_EQ(Run("hangup Auth").out, "1 Verbindung(en) getrennt\n");
  EXPECT_EQ(Run("hangup all").out, "1 Verbindung(en) getrennt\n");
  EXPECT_EQ(Run("status").out, "");
  ASSERT_EQ(Run("remove Busy").code, 0);
  EXPECT_THAT(Run("list").out, ::testing::Not(HasSubstr("Busy")));
}

TEST_F(SimToolFixture, UnknownEntriesAndBadArgumentsFailClearly) {
  ASSERT_EQ(Run("add A").code, 0);
  for (const char* args : {"dial Nope", "remove Nope", "hangup Nope", "traffic Nope 1 1"}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_THAT(r.err, HasSubstr("Unbekannter Eintrag: Nope")) << args;
  }
  const Result twice = Run("add A");
  EXPECT_EQ(twice.code, 1);
  EXPECT_THAT(twice.err, HasSubstr("gibt es schon"));
  const Result closed = Run("traffic A 1 1");
  EXPECT_EQ(closed.code, 1);
  EXPECT_THAT(closed.err, HasSubstr("Keine offene Verbindung"));

  for (const char* args : {"", "frobnicate", "add", "add B --rate 12", "add B --rate x/1", "add B --delay -1",
                           "add B --fail 5", "add B --user u", "traffic A 1", "traffic A -1 2", "dial"}) {
    const Result r = Run(args);
    EXPECT_NE(r.code, 0) << args;
    EXPECT_FALSE(r.err.empty()) << args;
  }
  // None of the refused commands changed anything.
  EXPECT_EQ(Run("list").out, "A\tdelay=0\tfail=0\trate=0/0\tclient=10.64.1.2\tserver=10.64.1.1\tcheck=nein\n");
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
