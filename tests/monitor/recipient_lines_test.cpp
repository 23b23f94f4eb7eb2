#include "monitor/recipient_lines.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "monitor/fixed_text.h"

namespace {

TEST(RecipientLines, SplitEveryLineIntoASlot) {
  const std::string longLine(70, 'x');
  std::string lines25;
  for (int i = 1; i <= 25; ++i) {
    lines25 += "r" + std::to_string(i) + "@example.com" + (i < 25 ? "\n" : "");
  }
  struct Case {
    const char* name;
    std::string text;
    int count;
    std::vector<std::string> slots;
  };
  const std::vector<Case> cases = {
      {"three lines",
       "a@example.com\nb@example.com\nc@example.com",
       3,
       {"a@example.com", "b@example.com", "c@example.com"}},
      {"trailing line break",
       "a@example.com\nb@example.com\n",
       3,
       {"a@example.com", "b@example.com", ""}},
      {"empty box", "", 1, {""}},
      {"25 lines", lines25, 20, {"r1@example.com", "r2@example.com"}},
      {"70 characters", longLine, 1, {std::string(59, 'x')}},
      {"CR LF from a paste",
       "a@example.com\r\nb@example.com",
       2,
       {"a@example.com", "b@example.com"}},
      {"lone CR", "a@example.com\rb@example.com\r", 3, {"a@example.com", "b@example.com", ""}},
      {"mixed", "a@x\r\n\rb@x\n", 4, {"a@x", "", "b@x", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto record = std::make_unique<MonitorRecord>();
    SplitRecipients(*record, c.text);
    EXPECT_EQ(record->m_nMailCount, c.count);
    for (std::size_t i = 0; i < c.slots.size(); ++i) {
      EXPECT_EQ(FieldText(record->m_szMailTo[i]), c.slots[i]);
    }
    if (c.count == 20) {
      EXPECT_EQ(FieldText(record->m_szMailTo[19]), "r20@example.com");
    }
  }
}

TEST(RecipientLines, JoinPutsOneAddressOnEachLine) {
  struct Case {
    const char* name;
    int count;
    std::string joined;
  };
  const Case cases[] = {
      {"three", 3, "a@example.com\nb@example.com\nc@example.com"},
      {"one", 1, "a@example.com"},
      {"none", 0, ""},
      {"a count past the slots reads every slot", 25, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto record = std::make_unique<MonitorRecord>();
    CopyText(record->m_szMailTo[0], "a@example.com");
    CopyText(record->m_szMailTo[1], "b@example.com");
    CopyText(record->m_szMailTo[2], "c@example.com");
    record->m_nMailCount = c.count;
    const std::string expected =
        c.count == 25 ? "a@example.com\nb@example.com\nc@example.com" + std::string(17, '\n')
                      : c.joined;
    EXPECT_EQ(JoinRecipients(*record), expected);
    EXPECT_EQ(FieldText(record->m_szPage), expected);
  }
}

}  // namespace
