// page-check: reads a saved router status page from standard input and shows
// what the program would read from it.
//
//   page-check [PREVIOUS-ADDRESS] < page.html
//
// Prints six lines: result=, changed=, ip=, up=, down=, title=. Printable
// ASCII stands as it is, a backslash as \\, any other byte as \xHH.

#include <cstdio>
#include <memory>
#include <string_view>

#include "monitor/fixed_text.h"
#include "monitor/monitor_record.h"
#include "monitor/status_parse.h"

namespace {

void PrintValue(const char* name, std::string_view value) {
  std::fputs(name, stdout);
  std::fputc('=', stdout);
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      std::fputs("\\\\", stdout);
    } else if (byte >= 0x20 && byte <= 0x7E) {
      std::fputc(byte, stdout);
    } else {
      std::printf("\\x%02x", byte);
    }
  }
  std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
  auto record = std::make_unique<MonitorRecord>();
  if (argc > 1) CopyText(record->m_szGlobalIp, argv[1]);

  // As the fetch does: at most the buffer less its terminator.
  const std::size_t read = std::fread(record->m_szPage, 1, sizeof record->m_szPage - 1, stdin);
  record->m_szPage[read] = '\0';

  const int result = ParseStatusPage(*record);
  PrintValue("result", result != 0 ? "1" : "0");
  PrintValue("changed", record->m_bIpChanged != 0 ? "1" : "0");
  PrintValue("ip", FieldText(record->m_szGlobalIp));
  PrintValue("up", FieldText(record->m_szUpLinkSpeed));
  PrintValue("down", FieldText(record->m_szDownLinkSpeed));
  PrintValue("title",
             result != 0 ? FieldText(record->m_szPage) : std::string_view(kPlaceholderTitle));
  return 0;
}
