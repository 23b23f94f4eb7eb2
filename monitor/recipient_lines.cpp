#include "monitor/recipient_lines.h"

#include <cstddef>

#include "monitor/fixed_text.h"

namespace {
constexpr char kLineBreak[] = "\n";

// The length of the line break at the start of text: CR LF, LF or a lone CR
// (text pasted from other programs), else 0.
std::size_t LineBreakAt(std::string_view text) {
  if (text.starts_with("\r\n")) return 2;
  return text.starts_with('\n') || text.starts_with('\r') ? 1 : 0;
}

}  // namespace

std::string_view JoinRecipients(MonitorRecord& record) {
  CopyText(record.m_szPage, "");
  const auto count = static_cast<unsigned>(record.m_nMailCount);
  for (unsigned i = 0; i < count && i < static_cast<unsigned>(kMaxMailTo); ++i) {
    if (i > 0) AppendText(record.m_szPage, kLineBreak);
    AppendText(record.m_szPage, FieldText(record.m_szMailTo[i]));
  }
  return FieldText(record.m_szPage);
}

void SplitRecipients(MonitorRecord& record, std::string_view text) {
  std::size_t lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t breakLength = LineBreakAt(text.substr(i));
    if (breakLength == 0) continue;
    ++lines;
    i += breakLength - 1;
  }
  record.m_nMailCount = static_cast<std::int32_t>(lines > kMaxMailTo ? kMaxMailTo : lines);
  for (std::int32_t i = 0; i < record.m_nMailCount; ++i) {
    const std::size_t end = text.find_first_of("\r\n");
    CopyText(record.m_szMailTo[i], text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size()
                                                     : end + LineBreakAt(text.substr(end)));
  }
}
