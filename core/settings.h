#ifndef TAVREL_CORE_SETTINGS_H
#define TAVREL_CORE_SETTINGS_H

#include "core/entry.h"

#include <QString>

// The person's own choices, kept apart from the storage file (which other programs and older
// versions read, so it never grows a field). No file exists until a setting is changed.
struct Settings
{
    bool keepAlarmsEnabled = false; // alarms stored enabled stay enabled at the next start
    bool startAtLogin = false;      // an autostart entry starts the program hidden in the tray
    int snoozeMinutes = 10;         // how long a snoozed ring waits, 1 to 60

    bool operator==(const Settings &o) const
    {
        return keepAlarmsEnabled == o.keepAlarmsEnabled && startAtLogin == o.startAtLogin &&
               snoozeMinutes == o.snoozeMinutes;
    }
    bool operator!=(const Settings &o) const { return !(*this == o); }
};

namespace SettingsFile {
inline const QString kOrganisation = QStringLiteral("Tavrel");
inline const QString kApplication = QStringLiteral("Tavrel");
constexpr int kMinSnoozeMinutes = 1;
constexpr int kMaxSnoozeMinutes = 60;

// $XDG_CONFIG_HOME/Tavrel/Tavrel.conf (or ~/.config/…), looked up afresh each call.
QString path();
} // namespace SettingsFile

// Every setting that is missing, unreadable or out of range has its default; never prompts.
Settings readSettings();
// Saves all three atomically (QSettings writes a temporary file and renames it). False when the
// file could not be written; what was there before is left as it was.
bool writeSettings(const Settings &settings);

// Whether an entry read at start-up stays enabled. Only with keepAlarmsEnabled, and only a
// well-read alarm stored enabled: a timer's deadline is not stored, so timers start disabled.
bool staysEnabledAtStart(const Entry &stored, Entry::ReadProblem problem, bool keepAlarmsEnabled);

#endif // TAVREL_CORE_SETTINGS_H
