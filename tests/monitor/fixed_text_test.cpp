#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "monitor/fixed_text.h"
#include "monitor/scan_intervals.h"
#include "monitor/utf8.h"

namespace {

TEST(FixedText, CopiesWithinTheFieldAndTerminates) {
  struct Case {
    const char* name;
    std::string text;
    std::size_t size;
    std::string expected;
  } cases[] = {
      {"fits", "abc", 8, "abc"},
      {"exactly size-1", "abcdefg", 8, "abcdefg"},
      {"cut", "abcdefghij", 8, "abcdefg"},
      {"empty", "", 8, ""},
      {"size one holds only the terminator", "abc", 1, ""},
      {"two-byte character not split", "abcdef\xC3\xA9", 8, "abcdef"},
      {"three-byte character not split", "abcde\xE3\x81\x82", 8, "abcde"},
      {"three-byte character ending at the cut kept", "abcd\xE3\x81\x82z", 8, "abcd\xE3\x81\x82"},
      {"four-byte character not split", "abcdef\xF0\x9F\x98\x80", 8, "abcdef"},
      {"Latin-1 bytes cut anywhere", "abcdef\xE9\xE9\xE9", 8, "abcdef\xE9"},
      {"stray continuation bytes cut anywhere", "ab\x80\x80\x80\x80\x80\x80\x80", 8,
       "ab\x80\x80\x80\x80\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char field[16];
    std::memset(field, '#', sizeof field);
    EXPECT_EQ(CopyText(field, c.size, c.text), c.expected.size());
    EXPECT_EQ(std::string(field), c.expected);
    for (std::size_t i = c.size; i < sizeof field; ++i) EXPECT_EQ(field[i], '#') << "wrote past";
  }
}

TEST(FixedText, AppendsBehindTheTextAlreadyThere) {
  char field[8] = "ab";
  EXPECT_EQ(AppendText(field, "cd"), 2u);
  EXPECT_EQ(AppendText(field, "efghij"), 3u);
  EXPECT_STREQ(field, "abcdefg");
  EXPECT_EQ(AppendText(field, "x"), 0u);
  EXPECT_STREQ(field, "abcdefg");
}

TEST(FixedText, FieldTextStopsAtTheFieldsEnd) {
  char field[4] = {'a', 'b', 'c', 'd'};  // no terminator at all
  EXPECT_EQ(FieldText(field), "abcd");
}

TEST(DecodeUtf8, ReadsBytesThatAreNotUtf8AsReplacements) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u32string expected;
  };
  const Case cases[] = {
      {"ascii", "Orlavo<IP:1.2.3.4>", U"Orlavo<IP:1.2.3.4>"},
      {"half-width katakana", "\xEF\xBD\xBF\xEF\xBD\xB9", U"\uFF7F\uFF79"},
      {"latin-1 byte", "caf\xE9!", U"caf\uFFFD!"},
      {"cut sequence at the end", "ab\xE3\x81", U"ab\uFFFD\uFFFD"},
      {"overlong slash", "\xC0\xAF", U"\uFFFD\uFFFD"},
      {"surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
      {"four bytes", "\xF0\x9F\x98\x80", U"\U0001F600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeUtf8(c.bytes), c.expected);
  }
}

TEST(ScanIntervals, TableAndLookups) {
  EXPECT_STREQ(kScanIntervals[0].label, "30Sec.");
  EXPECT_STREQ(kScanIntervals[1].label, " 1min.");
  EXPECT_STREQ(kScanIntervals[2].label, " 5min.");
  EXPECT_STREQ(kScanIntervals[8].label, "60min.");
  for (const ScanInterval& interval : kScanIntervals) EXPECT_EQ(std::strlen(interval.label), 6u);

  EXPECT_EQ(ScanIndexOfSeconds(30), 0);
  EXPECT_EQ(ScanIndexOfSeconds(3600), 8);
  EXPECT_EQ(ScanIndexOfSeconds(45), 3);
  EXPECT_EQ(ScanIndexOfSeconds(-1), 3);
  EXPECT_EQ(ScanIntervalAt(0).seconds, 30);
  EXPECT_EQ(ScanIntervalAt(9).seconds, 600);
  EXPECT_EQ(ScanIntervalAt(-1).seconds, 600);
}

}  // namespace
