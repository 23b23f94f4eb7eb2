#pragma once

#include <cstddef>
#include <string>

#include "monitor/monitor_record.h"
#include "monitor/scan_intervals.h"

inline constexpr char kSettingsFileName[] = "Orlavo.INI";

// Where the user's Orlavo.INI lives: $XDG_CONFIG_HOME, else ~/.config, on
// POSIX systems; %APPDATA%\Orlavo on Windows (see UserSettingsPath). Empty when
// the place cannot be told.
std::string SettingsFilePath();

// Fills the settings fields of the record from the file at path, with the
// defaults for whatever is missing. A missing or unreadable file, or an empty
// path, gives the defaults.
void LoadSettings(MonitorRecord& record, const std::string& path);

// Writes every setting of the record to the file at path; the file changes
// only as a whole. A failed save leaves the old file as it was and is not
// reported; an empty path saves nothing.
void SaveSettings(const MonitorRecord& record, const std::string& path);

// The keys of the file, in the order LoadSettings reads and SaveSettings
// writes them; both walk this table and nothing else.
struct SettingKey {
  // How the value goes between the file and the record.
  enum class EValue {
    kText,        // field, cut to readSize-1 bytes when read
    kScanIndex,   // m_nScanTime: an index when read, seconds when written
    kMailCount,   // m_nMailCount, held to kMaxMailTo when read
    kRecipients,  // key is "MAIL-TO" and the slot number, for each slot
    kWrittenOnly  // m_nMailAlways: every start is "only when changed"
  };
  const char* section = nullptr;
  const char* key = nullptr;
  char (MonitorRecord::*field)[256] = nullptr;
  // What the reader may copy, terminator included; the fields are larger.
  std::size_t readSize = 0;
  const char* defaultText = nullptr;
  int defaultNumber = 0;
  EValue value = EValue::kText;
};

inline constexpr char kRouterSection[] = "ROUTER";
inline constexpr char kMailSection[] = "MAIL";
inline constexpr char kPlaceholderAddress[] = "report@example.com";

inline constexpr SettingKey kSettingKeys[] = {
    {kRouterSection, "IP-ADDRESS", &MonitorRecord::m_szRouterAddress, 16, "192.168.1.1"},
    {kRouterSection, "USER-NAME", &MonitorRecord::m_szUserName, 16, "user"},
    {kRouterSection, "PASSWORD", &MonitorRecord::m_szPassword, 16, "vorp"},
    {kMailSection, "SCAN-TIME", nullptr, 0, nullptr, kDefaultScanIndex,
     SettingKey::EValue::kScanIndex},
    {kMailSection, "MAIL-COUNT", nullptr, 0, nullptr, 1, SettingKey::EValue::kMailCount},
    {kMailSection, "MAIL-TO", nullptr, 58, kPlaceholderAddress, 0, SettingKey::EValue::kRecipients},
    {kMailSection, "FROM-ADDRESS", &MonitorRecord::m_szFromAddress, 64, kPlaceholderAddress},
    {kMailSection, "SMTP-SERVER", &MonitorRecord::m_szSmtpServer, 64, "mail.example.com"},
    {kMailSection, "MAIL-ALWAYS", nullptr, 0, nullptr, 0, SettingKey::EValue::kWrittenOnly},
    {kMailSection, "MAIL-SUBJECT", &MonitorRecord::m_szSubject, 254,
     "Hi! Master. Change IP Report Mail"},
};
