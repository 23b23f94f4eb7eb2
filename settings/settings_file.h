#pragma once

#include <string>

#include "monitor/monitor_record.h"

inline constexpr char kSettingsFileName[] = "Orlavo.INI";

// $XDG_CONFIG_HOME/Orlavo.INI, or ~/.config/Orlavo.INI when the variable is
// unset or empty; empty when HOME is not set either.
std::string SettingsFilePath();

// Fills the settings fields of the record from the file at path, with the
// defaults for whatever is missing. A missing or unreadable file, or an empty
// path, gives the defaults.
void LoadSettings(MonitorRecord& record, const std::string& path);

// Writes every setting of the record to the file at path; the file changes
// only as a whole. A failed save leaves the old file as it was and is not
// reported; an empty path saves nothing.
void SaveSettings(const MonitorRecord& record, const std::string& path);
