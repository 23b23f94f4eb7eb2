#pragma once

#include <string>

#include "monitor/monitor_record.h"

inline constexpr char kSettingsFileName[] = "Orlavo.INI";

// $XDG_CONFIG_HOME/Orlavo.INI, or ~/.config/Orlavo.INI when the variable is
// unset or empty.
std::string SettingsFilePath();

// Fills the settings fields of the record from the file, with the defaults for
// whatever is missing. A missing or unreadable file gives the defaults.
void LoadSettings(MonitorRecord& record);
void LoadSettings(MonitorRecord& record, const std::string& path);

// Writes every setting of the record to the file; the file changes only as a
// whole. A failed save leaves the old file as it was and is not reported.
void SaveSettings(const MonitorRecord& record);
void SaveSettings(const MonitorRecord& record, const std::string& path);
