#include "settings/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/file_io.h"
#include "tests/settings/settings_test_support.h"

namespace {

using settings_test::ProfileFileTest;
using settings_test::ReadFile;
using settings_test::WriteFile;

struct FindCase {
  const char* name;
  std::string ini;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(ProfileTest, FindsValuesByTheReadingRules) {
  const FindCase cases[] = {
      {"mixed case in the file", "[Router]\nIp-Address=10.0.0.1\n", "ROUTER", "IP-ADDRESS",
       "10.0.0.1"},
      {"mixed case asked", "[MAIL]\nMAIL-TO0=a\n", "mail", "Mail-To0", "a"},
      {"CR LF", "[MAIL]\r\nSMTP-SERVER=smtp.example.org\r\nX=1\r\n", "MAIL", "SMTP-SERVER",
       "smtp.example.org"},
      {"blanks around key and value", "[MAIL]\n  SMTP-SERVER \t=  \t smtp.example.org \t \n",
       "MAIL", "SMTP-SERVER", "smtp.example.org"},
      {"blanks inside quotes kept", "[MAIL]\nMAIL-SUBJECT= \" two  words \" \r\n", "MAIL",
       "MAIL-SUBJECT", " two  words "},
      {"one pair of quotes only", "[MAIL]\nK=\"\"a\"\"\n", "MAIL", "K", "\"a\""},
      {"unmatched quote kept", "[MAIL]\nK=\"a\n", "MAIL", "K", "\"a"},
      {"lone quote kept", "[MAIL]\nK=\"\n", "MAIL", "K", "\""},
      {"empty value", "[MAIL]\nK=\n", "MAIL", "K", ""},
      {"equals sign in the value", "[MAIL]\nK=a=b\n", "MAIL", "K", "a=b"},
      {"comments", "[MAIL]\n;K=x\n  #K=y\n", "MAIL", "K", std::nullopt},
      {"key before any section", "K=x\n[MAIL]\n", "MAIL", "K", std::nullopt},
      {"key in another section", "[MAIL]\nJ=1\n[ROUTER]\nK=x\n", "MAIL", "K", std::nullopt},
      {"section absent", "[ROUTER]\nK=x\n", "MAIL", "K", std::nullopt},
      {"empty file", "", "MAIL", "K", std::nullopt},
      {"first of twice", "[MAIL]\nK=1\nk=2\n[mail]\nK=3\n", "MAIL", "K", "1"},
      {"header with blanks and a comment", " [ MAIL ] ; mail\nK=x\n", "MAIL", "K", "x"},
      {"byte order mark", "\xEF\xBB\xBF[MAIL]\nK=x\n", "MAIL", "K", "x"},
      {"no line end at the end", "[MAIL]\nK=x", "MAIL", "K", "x"},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CProfile profile(c.ini);
    EXPECT_EQ(profile.Find(c.section, c.key), c.expected);
  }
}

TEST(ProfileTest, ReadTextCutsToSizeWithoutSplittingCharacters) {
  struct Case {
    const char* name;
    const char* ini;
    std::size_t size;
    std::string expected;
  };
  const Case cases[] = {
      {"fits", "[S]\nK=abc\n", 4, "abc"},
      {"cut", "[S]\nK=abcdef\n", 4, "abc"},
      {"cut before a two-byte character", "[S]\nK=ab\xC3\xA9z\n", 4, "ab"},
      {"two-byte character fits", "[S]\nK=ab\xC3\xA9z\n", 5, "ab\xC3\xA9"},
      {"default when absent", "[S]\n", 8, "default"},
      {"default cut too", "", 4, "def"},
      {"empty value is no default", "[S]\nK=\n", 8, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    const std::size_t copied = CProfile(c.ini).ReadText("S", "K", "default", buffer, c.size);
    EXPECT_EQ(std::string(buffer), c.expected);
    EXPECT_EQ(copied, c.expected.size());
  }
}

TEST(ProfileTest, ReadIntTakesSignAndDigits) {
  struct Case {
    const char* value;  // nullptr: no such key
    int expected;
  };
  const Case cases[] = {
      {nullptr, 77},
      {"5", 5},
      {"+5", 5},
      {"-7", -7},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"- 5", 0},
      {" 42 \t", 42},
      {"\"8\"", 8},
      {"0x10", 0},
      {"007", 7},
      {"3.9", 3},
      {"2147483647", 2147483647},
      {"99999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-99999999999", -2147483647 - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(absent)");
    const std::string ini = c.value ? std::string("[S]\nK=") + c.value + "\n" : "[S]\n";
    EXPECT_EQ(CProfile(ini).ReadInt("S", "K", 77), c.expected);
  }
}

struct WriteCase {
  const char* name;
  std::string before;
  std::vector<ProfileWrite> writes;
  std::string after;
};

TEST(ProfileTest, WritesChangeOnlyTheKeysWritten) {
  const WriteCase cases[] = {
      {"empty file", "", {{"MAIL", "K", "v"}, {"MAIL", "L", "w"}}, "[MAIL]\nK=v\nL=w\n"},
      {"existing key replaced in place",
       "[MAIL]\nA=1\n k = old \nB=2\n",
       {{"MAIL", "K", "new"}},
       "[MAIL]\nA=1\nK=new\nB=2\n"},
      {"missing key after the last key of its section",
       "[MAIL]\nA=1\n; note\n\n[ROUTER]\nR=1\n",
       {{"mail", "K", "v"}},
       "[MAIL]\nA=1\nK=v\n; note\n\n[ROUTER]\nR=1\n"},
      {"missing key in an empty section", "[MAIL]\n", {{"MAIL", "K", "v"}}, "[MAIL]\nK=v\n"},
      {"missing key, no line end at the end",
       "[MAIL]\nA=1",
       {{"MAIL", "K", "v"}},
       "[MAIL]\nA=1\nK=v\n"},
      {"missing section after a blank line",
       "[ROUTER]\nR=1",
       {{"MAIL", "K", "v"}},
       "[ROUTER]\nR=1\n\n[MAIL]\nK=v\n"},
      {"missing section, blank line already there",
       "[ROUTER]\nR=1\n\n",
       {{"MAIL", "K", "v"}},
       "[ROUTER]\nR=1\n\n[MAIL]\nK=v\n"},
      {"key with the same name elsewhere",
       "[ROUTER]\nK=r\n",
       {{"MAIL", "K", "m"}},
       "[ROUTER]\nK=r\n\n[MAIL]\nK=m\n"},
      {"twice the same key",
       "[MAIL]\nK=1\n",
       {{"MAIL", "K", "2"}, {"MAIL", "K", "3"}},
       "[MAIL]\nK=3\n"},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    CProfile profile(c.before);
    for (const ProfileWrite& write : c.writes)
      profile.WriteText(write.section, write.key, write.value);
    EXPECT_EQ(profile.Text(), c.after);
  }
}

TEST(ProfileTest, WrittenValuesReadBackUnchanged) {
  const std::string values[] = {"plain",     " leading", "trailing\t", "\"quoted\"", "\"",
                                "a \"b\" c", "",         "=",          " \"both\" "};
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    CProfile profile;
    profile.WriteText("S", "K", value);
    EXPECT_EQ(CProfile(profile.Text()).Find("S", "K"), value);
  }
}

TEST(ProfileTest, LineBreakEndsAWrittenValue) {
  CProfile profile("[S]\nOTHER=1\n");
  profile.WriteText("S", "K", "one\r\n[S]\nOTHER=2");
  EXPECT_EQ(profile.Text(), "[S]\nOTHER=1\nK=one\n");
}

TEST_F(ProfileFileTest, SaveKeepsEveryOtherLineByteForByte) {
  const std::string before =
      "; Orlavo settings\r\n"
      "\r\n"
      "[Router]\r\n"
      "ip-address = 10.0.0.1\r\n"
      "Colour=blue\r\n"
      "\r\n"
      "; extras follow\r\n"
      "[EXTRA]\r\n"
      "KEEP=\"as is\"  \r\n"
      "garbage line\r\n";
  WriteFile(m_path, before);
  const ProfileWrite writes[] = {
      {"ROUTER", "IP-ADDRESS", "192.168.1.1"},
      {"ROUTER", "USER-NAME", "user"},
      {"MAIL", "SCAN-TIME", "3"},
      {"MAIL", "MAIL-COUNT", "1"},
  };
  ASSERT_TRUE(WriteProfile(m_path, writes));
  EXPECT_EQ(ReadFile(m_path),
            "; Orlavo settings\r\n"
            "\r\n"
            "[Router]\r\n"
            "IP-ADDRESS=192.168.1.1\n"
            "Colour=blue\r\n"
            "USER-NAME=user\n"
            "\r\n"
            "; extras follow\r\n"
            "[EXTRA]\r\n"
            "KEEP=\"as is\"  \r\n"
            "garbage line\r\n"
            "\n"
            "[MAIL]\n"
            "SCAN-TIME=3\n"
            "MAIL-COUNT=1\n");
  EXPECT_EQ(LoadProfile(m_path).Find("extra", "keep"), "as is");
}

// A password, then one comment line that fills the file to size bytes.
std::string PaddedFile(std::string_view password, std::size_t size) {
  std::string text = "[ROUTER]\nPASSWORD=" + std::string(password) + "\n;";
  text.resize(size - 1, 'c');
  return text + "\n";
}

TEST_F(ProfileFileTest, FileTooLargeToReadIsLeftAlone) {
  const std::string before = PaddedFile("old", kMaxFileSize + 1);
  WriteFile(m_path, before);
  const ProfileWrite write[] = {{"ROUTER", "PASSWORD", "new"}};
  EXPECT_FALSE(WriteProfile(m_path, write));
  EXPECT_EQ(ReadFile(m_path), before);
  EXPECT_FALSE(LoadProfile(m_path).Find("ROUTER", "PASSWORD"));
}

TEST_F(ProfileFileTest, ReaderAndWriterAgreeAtTheSizeLimit) {
  WriteFile(m_path, PaddedFile("old", kMaxFileSize));
  EXPECT_EQ(LoadProfile(m_path).Find("ROUTER", "PASSWORD"), "old");

  // Two bytes more make the file exactly as large as the reader takes.
  WriteFile(m_path, PaddedFile("old", kMaxFileSize - 2));
  const ProfileWrite fits[] = {{"ROUTER", "PASSWORD", "older"}};
  ASSERT_TRUE(WriteProfile(m_path, fits));
  EXPECT_EQ(std::filesystem::file_size(m_path), kMaxFileSize);
  EXPECT_EQ(LoadProfile(m_path).Find("ROUTER", "PASSWORD"), "older");

  // One more would make a file the reader refuses: the old one stays.
  const ProfileWrite grows[] = {{"ROUTER", "PASSWORD", "oldest"}};
  EXPECT_FALSE(WriteProfile(m_path, grows));
  EXPECT_EQ(ReadFile(m_path), PaddedFile("older", kMaxFileSize));
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"Orlavo.INI"});
}

}  // namespace
