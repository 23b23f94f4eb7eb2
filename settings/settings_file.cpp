#include "settings/settings_file.h"

std::string SettingsFilePath() { return {}; }
void LoadSettings(MonitorRecord&) {}
void LoadSettings(MonitorRecord&, const std::string&) {}
void SaveSettings(const MonitorRecord&) {}
void SaveSettings(const MonitorRecord&, const std::string&) {}
