#include "mail/smtp_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SmtpLine, PutsTextIntoTheDataForm) {
  struct Case {
    const char* name;
    std::string text;
    std::string data;
  };
  const Case cases[] = {
      {"CR LF lines unchanged", "Orlavo\r\n\r\n", "Orlavo\r\n\r\n"},
      {"bare LF", "one\ntwo\n", "one\r\ntwo\r\n"},
      {"bare CR", "one\rtwo\r", "one\r\ntwo\r\n"},
      {"CR before CR LF", "one\r\r\n", "one\r\n\r\n"},
      {"LF CR is two line ends", "one\n\rtwo\r\n", "one\r\n\r\ntwo\r\n"},
      {"leading dot", ".\r\n", "..\r\n"},
      {"dot after each kind of line end", "a\n.b\r.c\r\n.d\r\n", "a\r\n..b\r\n..c\r\n..d\r\n"},
      {"dots only at the start are doubled", "..a.b.\r\n", "...a.b.\r\n"},
      {"bytes of 0x80 and above unchanged", "\x80\xC3\xA4\xFF\r\n", "\x80\xC3\xA4\xFF\r\n"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char data[kSmtpDataLineSize];
    EXPECT_EQ(ToDataForm(c.text, data), c.data);
  }
}

TEST(SmtpLine, BlanksLineBreaks) {
  struct Case {
    const char* name;
    std::string text;
    std::string blanked;
  };
  const Case cases[] = {
      {"CR LF gives two blanks", "a\r\nb", "a  b"},
      {"bare CR and bare LF", "\ra\nb\r", " a b "},
      {"other bytes unchanged", "\t.\x80\xFF", "\t.\x80\xFF"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[kSmtpLineSize];
    EXPECT_EQ(BlankLineBreaks(c.text, buffer), c.blanked);
  }
}

TEST(SmtpLine, AFullLineOfLineBreaksAndDotsStillFits) {
  std::string text;
  while (text.size() + 2 < kSmtpLineSize) text += "\n.";
  char data[kSmtpDataLineSize];
  EXPECT_EQ(ToDataForm(text, data).size(), 2 * text.size());
}

}  // namespace
