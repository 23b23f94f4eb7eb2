#include "settings/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/file_io.h"
#include "tests/settings/settings_test_support.h"
#include "tests/settings/windows_profile.h"

namespace {

using settings_test::CTempDir;
using settings_test::kWindowsReadsToo;
using settings_test::ProfileFileTest;
using settings_test::ReadFile;
using settings_test::WindowsReads;
using settings_test::WindowsReadsBytes;
using settings_test::WindowsReadsInt;
using settings_test::WithNewFileLineEnds;
using settings_test::WriteFile;

// A file's bytes in UTF-16 with its byte order mark, as Notepad saves
// "Unicode" files.
std::string Utf16(std::u16string_view text, bool bBigEndian = false) {
  std::string bytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += bBigEndian ? high : low;
    bytes += bBigEndian ? low : high;
  }
  return bytes;
}

struct FindCase {
  const char* name;
  std::string ini;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
  // What Windows reads where it differs (see profile.h).
  std::optional<std::string> windows = std::nullopt;
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
      {"lone CR", "[MAIL]\rJ=1\rK=x\r", "MAIL", "K", "x"},
      {"lone CR among LF", "[MAIL]\nJ=1\rK=x\n", "MAIL", "K", "x"},
      {"key line without '='", "[MAIL]\n K \nK=x\n", "MAIL", "K", std::nullopt},
      {"single quotes kept", "[MAIL]\nK='x'\n", "MAIL", "K", "'x'", "x"},
      {"form feed kept", "[MAIL]\nK=x\f\n", "MAIL", "K", "x\f", "x"},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CProfile profile(c.ini);
    EXPECT_EQ(profile.Find(c.section, c.key), c.expected);
    if (kWindowsReadsToo) {
      EXPECT_EQ(WindowsReadsBytes(c.ini, c.section, c.key), c.windows ? c.windows : c.expected);
    }
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
    // What Windows reads where it differs (see profile.h).
    std::optional<int> windows = std::nullopt;
  };
  const Case cases[] = {
      {nullptr, 77},
      {"5", 5},
      {"+5", 5},
      {"-7", -7},
      {"12abc", 12},
      {"abc", 0},
      {"", 0, 77},
      {"-", 0},
      {"- 5", 0},
      {" 42 \t", 42},
      {"\"8\"", 8},
      {"0x10", 0, 16},
      {"0b11", 0, 3},
      {"'8'", 0, 8},
      {"007", 7},
      {"3.9", 3},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647, -2147483647 - 1},
      {"99999999999", 2147483647, 1215752191},
      {"-2147483648", -2147483647 - 1},
      {"-99999999999", -2147483647 - 1, -1215752191},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(absent)");
    const std::string ini = c.value ? std::string("[S]\nK=") + c.value + "\n" : "[S]\n";
    EXPECT_EQ(CProfile(ini).ReadInt("S", "K", 77), c.expected);
    if (kWindowsReadsToo) {
      EXPECT_EQ(WindowsReadsInt(ini, "S", "K", 77), c.windows.value_or(c.expected));
    }
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
      {"empty file",
       "",
       {{"MAIL", "K", "v"}, {"MAIL", "L", "w"}},
       WithNewFileLineEnds("[MAIL]\nK=v\nL=w\n")},
      {"existing key replaced in place",
       "[MAIL]\nA=1\n k = old \nB=2\n",
       {{"MAIL", "K", "new"}},
       "[MAIL]\nA=1\nK=new\nB=2\n"},
      {"missing key after the last key of its section",
       "[MAIL]\nA=1\n; note\n\n[ROUTER]\nR=1\n",
       {{"mail", "K", "v"}},
       "[MAIL]\nA=1\nK=v\n; note\n\n[ROUTER]\nR=1\n"},
      {"missing key in an empty section", "[MAIL]\n", {{"MAIL", "K", "v"}}, "[MAIL]\nK=v\n"},
      {"key line without '=' takes the value",
       "[MAIL]\nA=1\n k \nK=old\n",
       {{"MAIL", "K", "new"}},
       "[MAIL]\nA=1\nK=new\nK=old\n"},
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
  const std::string values[] = {
      "plain", " leading",   "trailing\t", "\"quoted\"", "\"",  "a \"b\" c", "",
      "=",     " \"both\" ", "'single'",   "'",          "\fx", "x\v",       "Gr\xC3\xBC\xC3\x9F"};
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    for (const std::string& before : {std::string(), Utf16(u"[S]\r\n")}) {
      CProfile profile(before);
      profile.WriteText("S", "K", value);
      EXPECT_EQ(CProfile(profile.Text()).Find("S", "K"), value);
      if (kWindowsReadsToo) {
        EXPECT_EQ(WindowsReadsBytes(profile.Text(), "S", "K"), value);
      }
    }
  }
}

TEST(ProfileTest, LineBreakEndsAWrittenValue) {
  CProfile profile("[S]\nOTHER=1\n");
  profile.WriteText("S", "K", "one\r\n[S]\nOTHER=2");
  EXPECT_EQ(profile.Text(), "[S]\nOTHER=1\nK=one\n");
}

struct FileRead {
  const char* section;
  const char* key;
  std::optional<std::string> value;
};

struct FileCase {
  const char* name;
  std::string before;
  std::vector<FileRead> reads;
  std::vector<ProfileWrite> writes;
  std::string after;
};

// Files as Windows and its editors write them: what the program reads, what a
// save leaves, and, under Windows, that Windows reads both files the same.
TEST_F(ProfileFileTest, FilesFromWindowsReadAndSaveAsWindowsReadsThem) {
  const FileCase cases[] = {
      {"CR LF, and every other line kept",
       "; Orlavo settings\r\n\r\n[Router]\r\nip-address = 10.0.0.1\r\nColour=blue\r\n\r\n"
       "; extras follow\r\n[EXTRA]\r\nKEEP=\"as is\"  \r\n",
       {{"ROUTER", "IP-ADDRESS", "10.0.0.1"}, {"EXTRA", "KEEP", "as is"}},
       {{"ROUTER", "IP-ADDRESS", "192.168.1.1"},
        {"ROUTER", "USER-NAME", "user"},
        {"MAIL", "SCAN-TIME", "3"}},
       "; Orlavo settings\r\n\r\n[Router]\r\nIP-ADDRESS=192.168.1.1\r\nColour=blue\r\n"
       "USER-NAME=user\r\n\r\n; extras follow\r\n[EXTRA]\r\nKEEP=\"as is\"  \r\n\r\n"
       "[MAIL]\r\nSCAN-TIME=3\r\n"},
      {"LF",
       "[ROUTER]\nIP-ADDRESS=10.0.0.1\n",
       {{"ROUTER", "IP-ADDRESS", "10.0.0.1"}},
       {{"ROUTER", "PASSWORD", "pw"}, {"MAIL", "MAIL-COUNT", "2"}},
       "[ROUTER]\nIP-ADDRESS=10.0.0.1\nPASSWORD=pw\n\n[MAIL]\nMAIL-COUNT=2\n"},
      {"lone CR",
       "[ROUTER]\rIP-ADDRESS=10.0.0.1\rPASSWORD=old\r",
       {{"ROUTER", "IP-ADDRESS", "10.0.0.1"}, {"ROUTER", "PASSWORD", "old"}},
       {{"ROUTER", "PASSWORD", "new"}, {"MAIL", "MAIL-COUNT", "2"}},
       "[ROUTER]\rIP-ADDRESS=10.0.0.1\rPASSWORD=new\r\r[MAIL]\rMAIL-COUNT=2\r"},
      {"mixed line ends become the first line's",
       "[ROUTER]\r\nIP-ADDRESS=10.0.0.1\nPASSWORD=pw\rUSER-NAME=u\r\n\n[MAIL]\nMAIL-COUNT=1\n",
       {{"ROUTER", "PASSWORD", "pw"}, {"ROUTER", "USER-NAME", "u"}, {"MAIL", "MAIL-COUNT", "1"}},
       {{"MAIL", "MAIL-COUNT", "2"}},
       "[ROUTER]\r\nIP-ADDRESS=10.0.0.1\r\nPASSWORD=pw\r\nUSER-NAME=u\r\n\r\n[MAIL]\r\n"
       "MAIL-COUNT=2\r\n"},
      {"no line end yet",
       "[ROUTER]",
       {{"ROUTER", "PASSWORD", std::nullopt}},
       {{"ROUTER", "PASSWORD", "pw"}},
       WithNewFileLineEnds("[ROUTER]\nPASSWORD=pw\n")},
      {"UTF-16, little endian",
       Utf16(u"[ROUTER]\r\nIP-ADDRESS=10.0.0.1\r\n\r\n[MAIL]\r\n"
             u"MAIL-SUBJECT=Grüße, 日本 \U0001F600\r\n"),
       {{"ROUTER", "IP-ADDRESS", "10.0.0.1"}, {"MAIL", "MAIL-SUBJECT", "Grüße, 日本 😀"}},
       {{"ROUTER", "IP-ADDRESS", "10.0.0.2"},
        {"MAIL", "MAIL-SUBJECT", "Adresse geändert ✓"},
        {"MAIL", "FROM-ADDRESS", "me@example.org"}},
       Utf16(u"[ROUTER]\r\nIP-ADDRESS=10.0.0.2\r\n\r\n[MAIL]\r\n"
             u"MAIL-SUBJECT=Adresse geändert ✓\r\nFROM-ADDRESS=me@example.org\r\n")},
      {"UTF-16, big endian",
       Utf16(u"[ROUTER]\nPASSWORD=pässword\n", true),
       {{"ROUTER", "PASSWORD", "pässword"}},
       {{"ROUTER", "PASSWORD", "ünd"}, {"ROUTER", "USER-NAME", "\u3000u"}},
       Utf16(u"[ROUTER]\nPASSWORD=ünd\nUSER-NAME=\u3000u\n", true)},
      {"UTF-16, an unpaired surrogate in a comment",
       Utf16(u"; \xD800 x\r\n[ROUTER]\r\nPASSWORD=pw\r\n"),
       {{"ROUTER", "PASSWORD", "pw"}},
       {{"ROUTER", "PASSWORD", "new"}},
       Utf16(u"; \uFFFD x\r\n[ROUTER]\r\nPASSWORD=new\r\n")},
      {"UTF-8 with a byte order mark",
       "\xEF\xBB\xBF[MAIL]\r\nMAIL-SUBJECT=Grüße\r\n",
       {{"MAIL", "MAIL-SUBJECT", "Grüße"}},
       {{"MAIL", "MAIL-SUBJECT", "日本"}},
       "\xEF\xBB\xBF[MAIL]\r\nMAIL-SUBJECT=日本\r\n"},
      {"a key line without '=' before the key",
       "[ROUTER]\r\nIP-ADDRESS\r\nIP-ADDRESS=10.0.0.9\r\n",
       {{"ROUTER", "IP-ADDRESS", std::nullopt}},
       {{"ROUTER", "IP-ADDRESS", "10.0.0.2"}},
       "[ROUTER]\r\nIP-ADDRESS=10.0.0.2\r\nIP-ADDRESS=10.0.0.9\r\n"},
      {"values Windows would read otherwise unquoted",
       "[MAIL]\n",
       {},
       {{"MAIL", "A", "'single'"}, {"MAIL", "B", "\fform feed"}, {"MAIL", "C", "tab\t"}},
       "[MAIL]\nA=\"'single'\"\nB=\"\fform feed\"\nC=\"tab\t\"\n"},
  };
  int file = 0;
  for (const FileCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Every file new, so that no reader holds an earlier one.
    const std::string path = m_dir.File(std::to_string(++file) + ".INI");
    WriteFile(path, c.before);
    const CProfile before = LoadProfile(path);
    std::map<std::pair<std::string, std::string>, std::optional<std::string>> values;
    for (const FileRead& read : c.reads) {
      EXPECT_EQ(before.Find(read.section, read.key), read.value) << read.key;
      values[{read.section, read.key}] = read.value;
    }
    if (kWindowsReadsToo) {
      for (const FileRead& read : c.reads) {
        EXPECT_EQ(WindowsReads(path, read.section, read.key), read.value) << read.key;
      }
    }

    const std::string saved = m_dir.File(std::to_string(file) + "-saved.INI");
    WriteFile(saved, c.before);
    ASSERT_TRUE(WriteProfile(saved, c.writes));
    EXPECT_EQ(ReadFile(saved), c.after);
    for (const ProfileWrite& write : c.writes) values[{write.section, write.key}] = write.value;
    const CProfile after = LoadProfile(saved);
    for (const auto& [name, value] : values) {
      EXPECT_EQ(after.Find(name.first, name.second), value) << name.second;
      if (kWindowsReadsToo) {
        EXPECT_EQ(WindowsReads(saved, name.first, name.second), value) << name.second;
      }
    }
  }
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
