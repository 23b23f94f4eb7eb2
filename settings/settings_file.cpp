#include "settings/settings_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "monitor/fixed_text.h"
#include "monitor/scan_intervals.h"
#include "settings/file_io.h"
#include "settings/profile.h"

namespace {

using EValue = SettingKey::EValue;

constexpr std::uint32_t kMailCountCap = kMaxMailTo;

// Every read fits its field: the text fields are all of one size (the
// table's field type), the recipients' slots are smaller.
static_assert(std::ranges::all_of(kSettingKeys, [](const SettingKey& setting) {
  return setting.readSize <= (setting.value == EValue::kRecipients
                                  ? sizeof(MonitorRecord::m_szMailTo[0])
                                  : sizeof(MonitorRecord::m_szSubject));
}));

std::string MailToKey(const SettingKey& setting, int slot) {
  return setting.key + std::to_string(slot);
}

void ReadSetting(const CProfile& profile, const SettingKey& setting, MonitorRecord& record) {
  switch (setting.value) {
    case EValue::kText:
      profile.ReadText(setting.section, setting.key, setting.defaultText, record.*setting.field,
                       setting.readSize);
      break;
    case EValue::kScanIndex: {
      // Outside the table the interval list would have no selection.
      const int scanIndex = profile.ReadInt(setting.section, setting.key, setting.defaultNumber);
      record.m_nScanTime = IsScanIndex(scanIndex) ? scanIndex : kDefaultScanIndex;
      break;
    }
    case EValue::kMailCount: {
      const int mailCount = profile.ReadInt(setting.section, setting.key, setting.defaultNumber);
      // Every start is "only when changed", whatever the file says.
      record.m_nMailAlways = 0;
      // Unsigned, so that a negative count is capped too.
      record.m_nMailCount =
          static_cast<std::uint32_t>(mailCount) > kMailCountCap ? kMaxMailTo : mailCount;
      break;
    }
    case EValue::kRecipients:
      for (int slot = 0; slot < record.m_nMailCount; ++slot) {
        profile.ReadText(setting.section, MailToKey(setting, slot), setting.defaultText,
                         record.m_szMailTo[slot], setting.readSize);
      }
      break;
    case EValue::kWrittenOnly:
      break;
  }
}

void AddWrites(const SettingKey& setting, const MonitorRecord& record,
               std::vector<ProfileWrite>& writes) {
  const auto add = [&writes, &setting](std::string key, std::string_view value) {
    writes.push_back({setting.section, std::move(key), std::string(value)});
  };
  switch (setting.value) {
    case EValue::kText:
      add(setting.key, FieldText(record.*setting.field));
      break;
    case EValue::kScanIndex:
      // m_nScanTime holds seconds once a scan has been started.
      add(setting.key, std::to_string(ScanIndexOfSeconds(record.m_nScanTime)));
      break;
    case EValue::kMailCount:
      add(setting.key, std::to_string(record.m_nMailCount));
      break;
    case EValue::kRecipients:
      // Slots past the count are blanked, so that a shorter list leaves no
      // stale addresses behind.
      for (int slot = 0; slot < kMaxMailTo; ++slot) {
        add(MailToKey(setting, slot),
            slot < record.m_nMailCount ? FieldText(record.m_szMailTo[slot]) : std::string_view{});
      }
      break;
    case EValue::kWrittenOnly:
      add(setting.key, std::to_string(record.m_nMailAlways.load()));
      break;
  }
}

}  // namespace

std::string SettingsFilePath() { return UserSettingsPath(kSettingsFileName); }

void LoadSettings(MonitorRecord& record, const std::string& path) {
  const CProfile profile = LoadProfile(path);
  for (const SettingKey& setting : kSettingKeys) ReadSetting(profile, setting, record);
}

void SaveSettings(const MonitorRecord& record, const std::string& path) {
  if (path.empty()) return;
  std::vector<ProfileWrite> writes;
  for (const SettingKey& setting : kSettingKeys) AddWrites(setting, record, writes);

  // A failed save changes nothing and goes unreported.
  if (!MakeDirectories(ParentDirectory(path))) return;
  WriteProfile(path, writes);
}
