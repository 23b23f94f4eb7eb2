#include "settings/settings_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "monitor/fixed_text.h"
#include "monitor/scan_intervals.h"
#include "settings/file_io.h"
#include "settings/profile.h"

namespace {

constexpr char kRouterSection[] = "ROUTER";
constexpr char kMailSection[] = "MAIL";

constexpr char kDefaultRouterAddress[] = "192.168.1.1";
constexpr char kDefaultUserName[] = "user";
constexpr char kDefaultPassword[] = "vorp";
constexpr char kPlaceholderAddress[] = "report@example.com";
constexpr char kPlaceholderServer[] = "mail.example.com";
constexpr char kDefaultSubject[] = "Hi! Master. Change IP Report Mail";
constexpr int kDefaultMailCount = 1;
constexpr std::uint32_t kMailCountCap = kMaxMailTo;

// What the reader may copy, terminator included; the fields are larger.
constexpr std::size_t kRouterTextSize = 16;
constexpr std::size_t kMailToSize = 58;
constexpr std::size_t kAddressSize = 64;
constexpr std::size_t kSubjectSize = 254;
static_assert(kRouterTextSize <= sizeof(MonitorRecord::m_szRouterAddress));
static_assert(kMailToSize <= sizeof(MonitorRecord::m_szMailTo[0]));
static_assert(kAddressSize <= sizeof(MonitorRecord::m_szFromAddress));
static_assert(kSubjectSize <= sizeof(MonitorRecord::m_szSubject));

std::string MailToKey(int slot) { return "MAIL-TO" + std::to_string(slot); }

}  // namespace

std::string SettingsFilePath() { return UserSettingsPath(kSettingsFileName); }

void LoadSettings(MonitorRecord& record, const std::string& path) {
  const CProfile profile = LoadProfile(path);
  profile.ReadText(kRouterSection, "IP-ADDRESS", kDefaultRouterAddress, record.m_szRouterAddress,
                   kRouterTextSize);
  profile.ReadText(kRouterSection, "USER-NAME", kDefaultUserName, record.m_szUserName,
                   kRouterTextSize);
  profile.ReadText(kRouterSection, "PASSWORD", kDefaultPassword, record.m_szPassword,
                   kRouterTextSize);

  // Outside the table the interval list would have no selection.
  const int scanIndex = profile.ReadInt(kMailSection, "SCAN-TIME", kDefaultScanIndex);
  record.m_nScanTime = IsScanIndex(scanIndex) ? scanIndex : kDefaultScanIndex;

  const int mailCount = profile.ReadInt(kMailSection, "MAIL-COUNT", kDefaultMailCount);
  // Every start is "only when changed", whatever the file says.
  record.m_nMailAlways = 0;
  // Unsigned, so that a negative count is capped too.
  record.m_nMailCount =
      static_cast<std::uint32_t>(mailCount) > kMailCountCap ? kMaxMailTo : mailCount;
  for (int slot = 0; slot < record.m_nMailCount; ++slot) {
    profile.ReadText(kMailSection, MailToKey(slot), kPlaceholderAddress, record.m_szMailTo[slot],
                     kMailToSize);
  }

  profile.ReadText(kMailSection, "FROM-ADDRESS", kPlaceholderAddress, record.m_szFromAddress,
                   kAddressSize);
  profile.ReadText(kMailSection, "SMTP-SERVER", kPlaceholderServer, record.m_szSmtpServer,
                   kAddressSize);
  profile.ReadText(kMailSection, "MAIL-SUBJECT", kDefaultSubject, record.m_szSubject, kSubjectSize);
}

void SaveSettings(const MonitorRecord& record, const std::string& path) {
  if (path.empty()) return;
  std::vector<ProfileWrite> writes;
  const auto add = [&writes](const char* section, std::string key, std::string_view value) {
    writes.push_back({section, std::move(key), std::string(value)});
  };
  add(kRouterSection, "IP-ADDRESS", FieldText(record.m_szRouterAddress));
  add(kRouterSection, "USER-NAME", FieldText(record.m_szUserName));
  add(kRouterSection, "PASSWORD", FieldText(record.m_szPassword));
  // m_nScanTime holds seconds once a scan has been started.
  add(kMailSection, "SCAN-TIME", std::to_string(ScanIndexOfSeconds(record.m_nScanTime)));
  add(kMailSection, "MAIL-COUNT", std::to_string(record.m_nMailCount));
  // Slots past the count are blanked, so that a shorter list leaves no stale
  // addresses behind.
  for (int slot = 0; slot < kMaxMailTo; ++slot) {
    add(kMailSection, MailToKey(slot),
        slot < record.m_nMailCount ? FieldText(record.m_szMailTo[slot]) : std::string_view{});
  }
  add(kMailSection, "FROM-ADDRESS", FieldText(record.m_szFromAddress));
  add(kMailSection, "SMTP-SERVER", FieldText(record.m_szSmtpServer));
  add(kMailSection, "MAIL-ALWAYS", std::to_string(record.m_nMailAlways.load()));
  add(kMailSection, "MAIL-SUBJECT", FieldText(record.m_szSubject));

  // A failed save changes nothing and goes unreported.
  if (!MakeDirectories(ParentDirectory(path))) return;
  WriteProfile(path, writes);
}
