#include "monitor/status_parse.h"

#include <cstring>
#include <string_view>

#include "monitor/fixed_text.h"

// The page is read with a handful of forward scans for one byte or one short
// pattern: a label, a colon, the address up to the next tag, then two speeds.
// No scan ever looks at or past the page's terminating NUL.

namespace {

constexpr std::string_view kLabel = "ADSL IP";

std::string_view PageText(const MonitorRecord& record) { return FieldText(record.m_szPage); }

// A speed starts at a byte whose upper four bits are 0011: a digit or one of
// ":;<=>?".
bool StartsSpeed(char byte) { return (static_cast<unsigned char>(byte) & 0xF0) == 0x30; }

std::size_t Find(std::string_view page, char byte, std::size_t from) {
  if (from >= page.size()) return std::string_view::npos;
  const void* hit = std::memchr(page.data() + from, byte, page.size() - from);
  return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - page.data())
                        : std::string_view::npos;
}

// From position: the first byte of the speed class begins the speed, the
// first lower-case "s" ends it and belongs to it. A speed that runs to the end
// of the page, or past the field, keeps what fits.
template <std::size_t N>
void ParseSpeed(std::string_view page, int& position, char (&speed)[N]) {
  auto start = static_cast<std::size_t>(position);
  while (start < page.size() && !StartsSpeed(page[start])) ++start;
  const std::size_t s = Find(page, 's', start);
  const std::size_t end = s == std::string_view::npos ? page.size() : s + 1;
  CopyText(speed, start < end ? page.substr(start, end - start) : std::string_view{});
  position = static_cast<int>(end);
}

// Each reads one speed of the page in m_szPage from position on, leaving
// position behind its "s". The up-link first looks for the "(" that comes
// before it.
void ParseUpLinkSpeed(MonitorRecord& record, int& position) {
  const std::string_view page = PageText(record);
  const std::size_t parenthesis = Find(page, '(', static_cast<std::size_t>(position));
  position = static_cast<int>(parenthesis == std::string_view::npos ? page.size() : parenthesis);
  ParseSpeed(page, position, record.m_szUpLinkSpeed);
}

void ParseDownLinkSpeed(MonitorRecord& record, int& position) {
  ParseSpeed(PageText(record), position, record.m_szDownLinkSpeed);
}

}  // namespace

int ParseStatusPage(MonitorRecord& record) {
  const std::string_view page = PageText(record);
  // The label search covers the whole page on every check; find jumps from
  // one candidate first byte to the next with memchr.
  const std::size_t label = page.find(kLabel);
  if (label == std::string_view::npos) return 0;
  const std::size_t colon = Find(page, ':', label + kLabel.size());
  if (colon == std::string_view::npos) return 0;
  const std::size_t tag = Find(page, '<', colon + 1);
  if (tag == std::string_view::npos) return 0;

  // Taken as it stands: blanks, line breaks and entities before the "<" are
  // part of the text. Longer than the field, it cannot be an address.
  const std::string_view address = page.substr(colon + 1, tag - colon - 1);
  if (address.size() >= sizeof record.m_szGlobalIp) return 0;

  if (address != FieldText(record.m_szGlobalIp)) {
    record.m_bIpChanged = 1;
    CopyText(record.m_szGlobalIp, address);
    int position = static_cast<int>(tag);
    ParseUpLinkSpeed(record, position);
    ParseDownLinkSpeed(record, position);
  }

  // The page is no longer needed: the title line is composed over it.
  CopyText(record.m_szPage, "Orlavo<IP:");
  AppendText(record.m_szPage, FieldText(record.m_szGlobalIp));
  AppendText(record.m_szPage, "> <UL: ");
  AppendText(record.m_szPage, FieldText(record.m_szUpLinkSpeed));
  AppendText(record.m_szPage, "> <DL: ");
  AppendText(record.m_szPage, FieldText(record.m_szDownLinkSpeed));
  AppendText(record.m_szPage, ">");
  return 1;
}
