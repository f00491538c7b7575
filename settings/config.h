#pragma once
// The configuration file "配置.ini": one key written the moment its
// control changes, every key read back when the main window is created or
// a configuration folder is imported. The controls hold the settings; the
// file mirrors them.

#include <QString>

#include "settings/setting_keys.h"

namespace zorvik {

// Full path of the configuration file in use; empty until the first read.
extern QString configFilePath;

bool writeSetting(const Setting& setting, const QString& value);
QString readSetting(const Setting& setting);
// By section and key, for a key the table does not hold.
bool writeSetting(const QString& section, const QString& key, const QString& value);
QString readSetting(const QString& section, const QString& key);
// After saves of the file failed: writes every key as the window shows it.
bool saveUnsavedSettings();
// Reads every key and applies it to the controls, then loads the table
// and the start hotkey: the timer's part (what the window's first paint
// shows, and the hotkey), then the part of the panels built after it.
void applySettings();
void applyTimerSettings();
void applyPanelSettings();
// Points the configuration at another file (import); the next read
// creates it with the defaults when it is missing.
void useConfigFile(const QString& path);
// The audio file button shows for the kind at the list's index alone.
// True when it shows.
bool showAudioButtonFor(int listIndex);
// The default of a key, as a new file receives it ("" for unknown keys).
QString defaultSetting(const QString& section, const QString& key);

}  // namespace zorvik
