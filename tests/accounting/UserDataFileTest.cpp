// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <tuple>

#include "accounting/TariffLimits.h"
#include "accounting/UserFiles.h"
#include "platform/Files.h"
#include "tests/support/Bytes.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

using testing::Bytes;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

const TDateTime kToday = EncodeDate(2026, 12, 7);

// A version 3 tariff record as the old program wrote it.
Bytes TariffV3() {
  Bytes b(344);
  b.Str(0, "M\xFCnchen-Net")
      .F64(24, EncodeDate(2026, 11, 15))
      .F64(32, kToday)
      .I32(40, 1234)
      .I32(44, 5000)
      .F64(48, 3.9)
      .F64(56, 2000)
      .F64(64, 0)
      .F64(72, 7200)
      .F64(80, 468)
      .F64(88, 12.5)
      .F64(96, 13)
      .I32(112, 987654)
      .F64(120, EncodeTime(8, 30, 0))
      .F64(128, EncodeTime(17, 15, 0))
      .Byte(136, 1)
      .F64(152, 5)
      .Str(160, "T-Online")
      .Str(181, "k\xE4the@example.de")
      .Str(232, "geheim\x80");
  return b;
}

void ExpectIsTariffV3(const TariffRecord& t) {
  EXPECT_EQ(t.Name, "München-Net");
  EXPECT_EQ(t.StartDate, EncodeDate(2026, 11, 15));
  EXPECT_EQ(t.LastDay, kToday);
  EXPECT_EQ(t.SecondsToday, 1234);
  EXPECT_EQ(t.ConnectionBytes, 5000);
  EXPECT_EQ(t.PricePerMinute, 3.9);
  EXPECT_EQ(t.CostLimit, 2000);
  EXPECT_EQ(t.TimeLimit, 0);
  EXPECT_EQ(t.PeriodSeconds, 7200);
  EXPECT_EQ(t.PeriodCosts, 468);
  EXPECT_EQ(t.DailyAllowance, 12.5);
  EXPECT_EQ(t.TodayAllowance, 13);
  EXPECT_EQ(t.PeriodBytes, 987654);
  EXPECT_EQ(t.WindowFrom, EncodeTime(8, 30, 0));
  EXPECT_EQ(t.WindowTo, EncodeTime(17, 15, 0));
  EXPECT_TRUE(t.InTotals);
  EXPECT_EQ(t.DialInFee, 5);
  EXPECT_EQ(t.EntryName, "T-Online");
  EXPECT_EQ(t.UserName, "käthe@example.de");
  EXPECT_EQ(t.Password, "geheim€");
}

Bytes Header(const std::string& title, int32_t lastIndex, int32_t version) {
  Bytes b(52);
  b.Str(0, title).I32(44, lastIndex).I32(48, version);
  return b;
}

Bytes Totals() {
  Bytes b(48);
  b.F64(0, 3600).F64(16, 12.5).F64(24, 7.25).F64(32, kToday);
  return b;
}

class UserFilesTest : public ::testing::Test {
 protected:
  void AddUser(const std::string& section, const std::string& fileKey) {
    std::string text = std::filesystem::exists(dir.File("userlist.ini"))
                           ? ReadFileBytes(dir.File("userlist.ini"))
                           : std::string();
    WriteFileBytes(dir.File("userlist.ini"), text + "[" + section + "]\r\nfile=" + fileKey + "\r\n");
  }
  TempDir dir;
  ManualClock clock{kToday + 0.5};
  UserFiles files{dir.Path(), clock};
  std::vector<TariffRecord> tariffs;
  TotalsRecord totals;
};

TEST_F(UserFilesTest, Version3FileLoadsEveryFieldAndIsWrittenBackByteForByte) {
  const std::string image =
      Header("K\xE4the", 1, 3).str() + Totals().str() + TariffV3().str() + TariffV3().str();
  // On disk the name is UTF-8; the list keeps it in Windows-1252.
  WriteFileBytes(dir.File("Käthe.tfd"), image);
  AddUser("K\xE4the (K\xE4the.tfd)", dir.Path() + "/K\xE4the.tfd");

  ASSERT_EQ(files.LoadUserData("Käthe (Käthe.tfd)", tariffs, totals), kLoadOk);
  ASSERT_EQ(tariffs.size(), 2u);
  ExpectIsTariffV3(tariffs[0]);
  EXPECT_EQ(totals, (TotalsRecord{3600, 12.5, 7.25, kToday}));

  std::filesystem::remove(dir.File("Käthe.tfd"));
  files.SaveUserData("Käthe (Käthe.tfd)", tariffs, totals);
  // The header names the section, cut to 20 characters.
  const std::string expected =
      Header("K\xE4the (K\xE4the.tfd)", 1, 3).str() + Totals().str() + TariffV3().str() + TariffV3().str();
  EXPECT_EQ(ReadFileBytes(dir.File("Käthe.tfd")), expected);
  struct stat st {};
  ASSERT_EQ(::stat(dir.File("Käthe.tfd").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "data files hold passwords";
}

TEST(TariffRecordLayout, VolumeFieldsLiveInBytesTheOldProgramNeverReads) {
  const std::string image = Bytes(TariffV3())
                                .I64(256, int64_t{5} << 30)
                                .I64(264, 100 * 1024)
                                .F64(272, 1.5)
                                .I64(280, 0x1'2345'6789)
                                .F64(288, 2500.25)
                                .Byte(296, 1)
                                .Byte(297, 1)
                                .str();
  const TariffRecord t = DecodeTariff(reinterpret_cast<const uint8_t*>(image.data()));
  ExpectIsTariffV3(t);
  EXPECT_EQ(t.VolumeLimit, int64_t{5} << 30);
  EXPECT_EQ(t.VolumeUnit, 100 * 1024);
  EXPECT_EQ(t.VolumeUnitPrice, 1.5);
  EXPECT_EQ(t.BytesToday, 0x1'2345'6789);
  EXPECT_EQ(t.VolumeDailyAllowance, 2500.25);
  EXPECT_TRUE(t.HangUpWhenVolumeUsed);
  EXPECT_TRUE(t.HangUpWhenBudgetUsed);
  const TariffBytes encoded = EncodeTariff(t);
  EXPECT_EQ(std::string(encoded.begin(), encoded.end()), image);
}

TEST(TariffRecordLayout, PeriodAndCheaperHoursFollowTheVolumeFields) {
  const std::string image = Bytes(TariffV3())
                                .Byte(298, 1)
                                .I32(300, 28)
                                .F64(304, 0.75)
                                .F64(312, 0.25)
                                .F64(320, 0.5)
                                .F64(328, 2.25)
                                .str();
  TariffRecord t = DecodeTariff(reinterpret_cast<const uint8_t*>(image.data()));
  EXPECT_EQ(std::tuple(t.PeriodType, t.PeriodDays, t.OffPeakFrom, t.OffPeakTo, t.OffPeakPricePerMinute,
                       t.OffPeakUnitPrice),
            std::tuple(uint8_t{1}, 28, 0.75, 0.25, 0.5, 2.25));
  const TariffBytes encoded = EncodeTariff(t);
  EXPECT_EQ(std::string(encoded.begin(), encoded.end()), image);
  EXPECT_TRUE(ClearImpossibleValues(t));
  // N days past a year, or a kind no program wrote, is damage: a month.
  for (const auto& [kind, days] : {std::pair{1, 367}, std::pair{7, 28}}) {
    TariffRecord bad = t;
    bad.PeriodType = static_cast<uint8_t>(kind);
    bad.PeriodDays = days;
    EXPECT_FALSE(ClearImpossibleValues(bad));
    EXPECT_EQ(std::pair(bad.PeriodType, bad.PeriodDays), std::pair(uint8_t{0}, 0));
  }
}

TEST_F(UserFilesTest, Version2RecordsAreConvertedAndSavedAsVersion3) {
  Bytes old(248);
  old.Str(0, "Alt")
      .F64(24, EncodeDate(2001, 3, 1))
      .F64(32, EncodeDate(2001, 3, 9))
      .I32(40, 61)
      .I32(44, 777)  // not carried
      .F64(48, 4.8)
      .F64(56, 0)
      .F64(64, 1200)
      .F64(72, 600)
      .F64(80, 48)
      .F64(88, 40)
      .F64(96, 38)
      .I32(104, 0x5A5A5A5A)  // whatever an old file holds here
      .I32(108, 0x5A5A5A5A)
      .I32(112, 4096)
      .F64(120, EncodeTime(18, 0, 0))
      .F64(128, EncodeTime(6, 0, 0))
      .Byte(136, 1)
      .F64(144, 1.25)
      .Str(152, "AOL")
      .Str(173, "alt")
      .Str(224, "pw");
  WriteFileBytes(dir.File("Alt.tfd"), Header("Alt", 0, 2).str() + Totals().str() + old.str());
  AddUser("Alt (Alt.tfd)", dir.File("Alt.tfd"));
  ASSERT_EQ(files.LoadUserData("Alt (Alt.tfd)", tariffs, totals), kLoadOk);
  ASSERT_EQ(tariffs.size(), 1u);
  const TariffRecord& t = tariffs[0];
  EXPECT_EQ(t.Name, "Alt");
  EXPECT_EQ(t.StartDate, EncodeDate(2001, 3, 1));
  EXPECT_EQ(t.SecondsToday, 61);
  EXPECT_EQ(t.ConnectionBytes, 0);
  EXPECT_EQ(t.PricePerMinute, 4.8);
  EXPECT_EQ(t.TimeLimit, 1200);
  EXPECT_EQ(t.PeriodSeconds, 600);
  EXPECT_EQ(t.TodayAllowance, 38);
  EXPECT_EQ(t.PeriodBytes, 4096) << "no high word from the old reserved bytes";
  EXPECT_EQ(t.WindowFrom, EncodeTime(18, 0, 0));
  EXPECT_TRUE(t.InTotals);
  EXPECT_EQ(t.DialInFee, 0);
  EXPECT_EQ(t.EntryName, "AOL");
  EXPECT_EQ(t.UserName, "alt");
  EXPECT_EQ(t.Password, "pw");

  files.SaveUserData("Alt (Alt.tfd)", tariffs, totals);
  const std::string saved = ReadFileBytes(dir.File("Alt.tfd"));
  ASSERT_EQ(saved.size(), 52u + 48u + 344u);
  EXPECT_EQ(testing::ReadI32(saved, 48), 3);
  EXPECT_EQ(testing::ReadF64(saved, 100 + 144), 1.25);
  EXPECT_EQ(saved.substr(100 + 160, 4),
            "\x03"
            "AOL");
}

TEST_F(UserFilesTest, ByteCountsBeyond2GiBKeepTheirHighBitsInReservedBytes) {
  TariffRecord t;
  t.PeriodBytes = 5'000'000'000;      // 0x1_2A05_F200
  t.ConnectionBytes = 3'000'000'000;  // 0x0_B2D0_5E00
  const auto bytes = EncodeTariff(t);
  const std::string s(bytes.begin(), bytes.end());
  EXPECT_EQ(static_cast<uint32_t>(testing::ReadI32(s, 112)), 0x2A05F200u);
  EXPECT_EQ(testing::ReadI32(s, 104), 1);
  EXPECT_EQ(static_cast<uint32_t>(testing::ReadI32(s, 44)), 0xB2D05E00u);
  EXPECT_EQ(testing::ReadI32(s, 108), 0);
  EXPECT_EQ(DecodeTariff(bytes.data()), t);
}

TEST_F(UserFilesTest, DamagedFilesLoadWhatIsThere) {
  AddUser("D (D.tfd)", dir.File("D.tfd"));
  const std::string full =
      Header("D", 2, 3).str() + Totals().str() + TariffV3().str() + TariffV3().str() + TariffV3().str();
  // Cut in the middle of the third record: three records, the third partial.
  WriteFileBytes(dir.File("D.tfd"), full.substr(0, full.size() - 150));
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
  ASSERT_EQ(tariffs.size(), 3u);
  EXPECT_EQ(tariffs[2].Name, "München-Net");
  EXPECT_EQ(tariffs[2].EntryName, "T-Online");
  EXPECT_EQ(tariffs[2].Password, "");  // beyond the cut

  // A lying LastIndex reads the three records behind it and no phantom.
  std::string lying = full;
  lying.replace(44, 4, std::string("\xFF\xFF\xFF\x7F", 4));
  WriteFileBytes(dir.File("D.tfd"), lying);
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
  EXPECT_EQ(tariffs.size(), 3u);

  // An unknown version is refused, not read as version 3; LastIndex below
  // -1 and bytes behind the last record are damage as well.
  WriteFileBytes(dir.File("D.tfd"), Header("D", 0, 7).str() + Totals().str() + TariffV3().str());
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
  EXPECT_TRUE(tariffs.empty());
  WriteFileBytes(dir.File("D.tfd"), Header("D", -7, 3).str() + Totals().str());
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
  WriteFileBytes(dir.File("D.tfd"), Header("D", 0, 3).str() + Totals().str() + TariffV3().str() + "x");
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
  EXPECT_EQ(tariffs.size(), 1u);

  // Too short for header and totals: the totals keep their contents.
  totals = {1, 2, 3, 4};
  WriteFileBytes(dir.File("D.tfd"), Header("D", 0, 3).str() + "short");
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
  EXPECT_EQ(totals, (TotalsRecord{1, 2, 3, 4}));
  WriteFileBytes(dir.File("D.tfd"), "");
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadReadError);
}

TEST_F(UserFilesTest, DamagedFilesAreKeptAsideBeforeTheyAreWrittenOver) {
  AddUser("D (D.tfd)", dir.File("D.tfd"));
  const std::string damaged = Header("D", 2, 3).str() + Totals().str() + TariffV3().str() + "torn";
  WriteFileBytes(dir.File("D.tfd"), damaged);
  std::string notice;
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals, &notice), kLoadReadError);
  EXPECT_EQ(ReadFileBytes(dir.File("D.tfd.defekt")), damaged);
  EXPECT_NE(notice.find(dir.File("D.tfd.defekt")), std::string::npos) << notice;
  files.SaveUserData("D (D.tfd)", tariffs, totals);
  EXPECT_EQ(files.LoadUserData("D (D.tfd)", tariffs, totals), kLoadOk);
  // Damaged again: a copy of its own; the first is never written over, and
  // the same bytes are not kept twice.
  WriteFileBytes(dir.File("D.tfd"), damaged + "!");
  files.LoadUserData("D (D.tfd)", tariffs, totals);
  files.LoadUserData("D (D.tfd)", tariffs, totals);
  EXPECT_EQ(ReadFileBytes(dir.File("D.tfd.defekt")), damaged);
  EXPECT_EQ(ReadFileBytes(dir.File("D.tfd.defekt2")), damaged + "!");
  EXPECT_FALSE(std::filesystem::exists(dir.File("D.tfd.defekt3")));

  // A user list with lines the program did not write is kept too.
  const std::string list = ReadFileBytes(dir.File("userlist.ini")) + "\x01\x02 garbage\r\n";
  WriteFileBytes(dir.File("userlist.ini"), list);
  const CreateUserResult created = files.CreateUser("Neu");
  EXPECT_EQ(ReadFileBytes(dir.File("userlist.ini.defekt")), list);
  EXPECT_NE(created.notice.find("userlist.ini.defekt"), std::string::npos);
}

TEST_F(UserFilesTest, UnknownUsersAndMissingFiles) {
  // No user list at all: nothing to load, nothing saved.
  EXPECT_EQ(files.LoadUserData("Hans (Hans.tfd)", tariffs, totals), kLoadOk);
  files.SaveUserData("Hans (Hans.tfd)", {TariffRecord{}}, totals);
  EXPECT_FALSE(std::filesystem::exists(dir.File("Hans.tfd")));

  // A data file that cannot be opened keeps its user.
  AddUser("Weg (Weg.tfd)", dir.File("Weg.tfd"));
  EXPECT_EQ(files.LoadUserData("Weg (Weg.tfd)", tariffs, totals), kLoadCannotOpen);
  EXPECT_EQ(files.ListUsers(), std::vector<std::string>{"Weg (Weg.tfd)"});
}

TEST_F(UserFilesTest, AMovedProgramDirectoryStillFindsTheDataFile) {
  WriteFileBytes(dir.File("Hans.tfd"), Header("Hans", 0, 3).str() + Totals().str() + TariffV3().str());
  AddUser("Hans (Hans.tfd)", "C:\\Programme\\Tarifuhr\\Hans.tfd");
  AddUser("Eva (Eva.tfd)", "/old/place/Eva.tfd");
  ASSERT_EQ(files.LoadUserData("Hans (Hans.tfd)", tariffs, totals), kLoadOk);
  EXPECT_EQ(tariffs.size(), 1u);
  files.SaveUserData("Eva (Eva.tfd)", tariffs, totals);
  EXPECT_TRUE(std::filesystem::exists(dir.File("Eva.tfd")));
}

TEST_F(UserFilesTest, AUsersFileIsAlwaysTheOneOfThatNameInTheProgramDirectory) {
  TempDir outside;
  WriteFileBytes(outside.File("passwd"), "root:x:0:0\n");
  const std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(outside.Path());  // a relative key is no path from here
  AddUser("Abs (Abs.tfd)", outside.File("passwd"));
  AddUser("Up (Up.tfd)", "../../" + BaseName(outside.Path()) + "/passwd");
  AddUser("Rel (Rel.tfd)", "passwd");
  for (const char* section : {"Abs (Abs.tfd)", "Up (Up.tfd)", "Rel (Rel.tfd)"}) {
    EXPECT_EQ(files.DataFileOf(section), dir.File("passwd")) << section;
    files.SaveUserData(section, {TariffRecord{}}, totals);
  }
  std::filesystem::current_path(cwd);
  EXPECT_EQ(ReadFileBytes(outside.File("passwd")), "root:x:0:0\n");
  EXPECT_FALSE(std::filesystem::exists(outside.File("passwd.defekt")));

  // A name that is no file's: refused, the user not loaded, nothing written.
  for (const std::string key : {"", "/etc/", ".", "C:\\..", "Er\tika.tfd"}) {
    const std::string section = "X" + std::to_string(key.size()) + " (X.tfd)";
    AddUser(section, key);
    EXPECT_EQ(files.DataFileOf(section), "") << key;
    EXPECT_EQ(files.StateOf(section), UserFiles::UserState::UnusableFileName) << key;
    EXPECT_EQ(files.LoadUserData(section, tariffs, totals), kLoadOk);
    EXPECT_TRUE(tariffs.empty());
  }
}

TEST_F(UserFilesTest, UsersThatDifferInCaseAreTwoAndNoNewOneMayBeMadeSo) {
  AddUser("Erika (Erika.tfd)", dir.File("Erika.tfd"));
  AddUser("erika (erika.tfd)", dir.File("erika.tfd"));  // a list edited by hand
  EXPECT_EQ(files.ListUsers(), (std::vector<std::string>{"Erika (Erika.tfd)", "erika (erika.tfd)"}));
  EXPECT_EQ(files.DataFileOf("erika (erika.tfd)"), dir.File("erika.tfd"));
  EXPECT_EQ(files.DataFileOf("ERIKA (ERIKA.TFD)"), dir.File("Erika.tfd"))
      << "no exact name: regardless of case";
  files.RemoveUser("erika (erika.tfd)");
  EXPECT_EQ(files.ListUsers(), std::vector<std::string>{"Erika (Erika.tfd)"}) << "exactly that one";

  const CreateUserResult other = files.CreateUser("ERIKA");
  EXPECT_EQ(other.code, kCreateUnsafeName);
  EXPECT_EQ(other.message,
            "Den Benutzer „Erika“ gibt es schon. Namen, die sich nur in Groß- und Kleinschreibung "
            "unterscheiden, sind nicht möglich.");
  EXPECT_EQ(files.ListUsers().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("ERIKA.tfd")));
}

TEST_F(UserFilesTest, NumbersNoFigureCanHaveAreDamageReadAsZero) {
  AddUser("N (N.tfd)", dir.File("N.tfd"));
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  Bytes record = TariffV3();
  record.F64(48, nan).F64(56, inf).F64(80, -5).F64(152, 1e300);  // price, cost limit, costs, fee
  Bytes sums = Totals();
  sums.F64(16, nan);
  const std::string damaged = Header("N", 0, 3).str() + sums.str() + record.str();
  WriteFileBytes(dir.File("N.tfd"), damaged);
  std::string notice;
  EXPECT_EQ(files.LoadUserData("N (N.tfd)", tariffs, totals, &notice), kLoadReadError);
  ASSERT_EQ(tariffs.size(), 1u);
  EXPECT_EQ(tariffs[0].PricePerMinute, 0);
  EXPECT_EQ(tariffs[0].CostLimit, 0);
  EXPECT_EQ(tariffs[0].PeriodCosts, 0);
  EXPECT_EQ(tariffs[0].DialInFee, 0);
  EXPECT_EQ(tariffs[0].PeriodSeconds, 7200) << "the sound ones stay";
  EXPECT_EQ(totals.AllowanceSum, 0);
  EXPECT_EQ(totals.OnlineSeconds, 3600);
  EXPECT_EQ(ReadFileBytes(dir.File("N.tfd.defekt")), damaged);
  EXPECT_NE(notice.find("N.tfd.defekt"), std::string::npos);
}

TEST_F(UserFilesTest, CreateUserFindsAFreeNameAndAppendsItsSection) {
  CreateUserResult a = files.CreateUser("Hans");
  CreateUserResult b = files.CreateUser("Hans");
  ASSERT_EQ(a.code, kCreateOk);
  ASSERT_EQ(b.code, kCreateOk);
  EXPECT_EQ(a.section, "Hans (Hans.tfd)");
  EXPECT_EQ(b.section, "Hans (Hans0.tfd)");
  EXPECT_EQ(ReadFileBytes(dir.File("userlist.ini")),
            "[Hans (Hans.tfd)]\r\nfile=" + dir.File("Hans.tfd") +
                "\r\n[Hans (Hans0.tfd)]\r\nfile=" + dir.File("Hans0.tfd") + "\r\n");
  const std::string created = ReadFileBytes(dir.File("Hans.tfd"));
  EXPECT_EQ(created, Header("Hans", -1, 3).str() + Bytes(48).F64(32, kToday).str());

  // A user with no tariffs loads back as an empty list.
  tariffs.push_back(TariffRecord{});
  EXPECT_EQ(files.LoadUserData(b.section, tariffs, totals), kLoadOk);
  EXPECT_TRUE(tariffs.empty());
  EXPECT_EQ(totals.LastOnlineDay, kToday);

  // A long name is cut in the header only.
  const CreateUserResult c = files.CreateUser("Maximilian-Alexander von Habsburg");
  EXPECT_EQ(c.section, "Maximilian-Alexander von Habsburg (Maximilian-Alexander von Habsburg.tfd)");
  EXPECT_EQ(ReadFileBytes(dir.File("Maximilian-Alexander von Habsburg.tfd")).substr(0, 21),
            "\x14Maximilian-Alexander");

  EXPECT_EQ(files.ListUsers(), (std::vector<std::string>{"Hans (Hans.tfd)", "Hans (Hans0.tfd)", c.section}));
  files.RemoveUser("hans (hans0.tfd)");
  EXPECT_EQ(files.ListUsers(), (std::vector<std::string>{"Hans (Hans.tfd)", c.section}));
  EXPECT_TRUE(std::filesystem::exists(dir.File("Hans0.tfd"))) << "the data file stays";
}

TEST_F(UserFilesTest, CreateUserGivesUpAfterAThousandNames) {
  WriteFileBytes(dir.File("X.tfd"), "");
  for (int i = 0; i <= 999; ++i) WriteFileBytes(dir.File("X" + std::to_string(i) + ".tfd"), "");
  const CreateUserResult r = files.CreateUser("X");
  EXPECT_EQ(r.code, kCreateNoFreeName);
  EXPECT_FALSE(r.message.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("userlist.ini")));
}

TEST_F(UserFilesTest, CreateUserRefusesNamesThatAreNoFileNames) {
  for (const std::string& name : std::vector<std::string>{"../evil", "a/b", "a\\b", ".", "..",
                                                          std::string("a\0b", 3), std::string("tab\there")}) {
    const CreateUserResult r = files.CreateUser(name);
    EXPECT_EQ(r.code, kCreateUnsafeName) << name;
    EXPECT_FALSE(r.message.empty());
  }
  EXPECT_EQ(
      std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()),
      0);
  // An empty name is a file name: ".tfd".
  EXPECT_EQ(files.CreateUser("").section, " (.tfd)");
  EXPECT_TRUE(std::filesystem::exists(dir.File(".tfd")));
  // Characters outside Windows-1252 become '?' everywhere alike.
  const CreateUserResult r = files.CreateUser("Łukasz");
  EXPECT_EQ(r.section, "?ukasz (?ukasz.tfd)");
  EXPECT_EQ(files.LoadUserData(r.section, tariffs, totals), kLoadOk);
}

TEST_F(UserFilesTest, AFailedSaveKeepsTheOldFileWhole) {
  AddUser("Hans (Hans.tfd)", dir.File("Hans.tfd"));
  const std::string old = Header("Hans", 0, 3).str() + Totals().str() + TariffV3().str();
  WriteFileBytes(dir.File("Hans.tfd"), old);
  std::vector<TariffRecord> many(3);

  // A file size limit makes the write fail part-way, as a full disk would.
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 600;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(files.SaveUserData("Hans (Hans.tfd)", many, totals), FileError);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFileBytes(dir.File("Hans.tfd")), old);
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 2u) << "no temporary file is left behind";
}

TEST(RemoveTariff, LaterRecordsMoveForward) {
  std::vector<TariffRecord> list(3);
  list[0].Name = "a";
  list[1].Name = "b";
  list[2].Name = "c";
  RemoveTariff(list, 1);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].Name, "c");
  RemoveTariff(list, 1);
  RemoveTariff(list, 5);
  RemoveTariff(list, -1);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Name, "a");
}

}  // namespace
}  // namespace tarifuhr
