#include "core/settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString kKeepAlarmsEnabledKey = QStringLiteral("KeepAlarmsEnabled");
const QString kStartAtLoginKey = QStringLiteral("StartAtLogin");
const QString kSnoozeMinutesKey = QStringLiteral("SnoozeMinutes");

// QSettings writes booleans as "true"/"false". QVariant would read any other word ("garbage")
// as true, so a damaged line could switch a setting on: only those two words count.
bool readBool(const QSettings &file, const QString &key, bool fallback)
{
    const QString word = file.value(key).toString().trimmed().toLower();
    if (word == QLatin1String("true"))
        return true;
    if (word == QLatin1String("false"))
        return false;
    return fallback;
}

int readMinutes(const QSettings &file, const QString &key, int fallback)
{
    bool ok = false;
    const int minutes = file.value(key).toString().trimmed().toInt(&ok);
    const bool inRange =
        ok && minutes >= SettingsFile::kMinSnoozeMinutes && minutes <= SettingsFile::kMaxSnoozeMinutes;
    return inRange ? minutes : fallback;
}

// QSettings parses on first use, and only the first object to parse a file in this process hears
// of an error: later ones share the parsed copy. So parse now, and ask.
bool parsesCleanly(const QSettings &file)
{
    file.allKeys();
    return file.status() == QSettings::NoError;
}
} // namespace

// The place QSettings picks for these organisation and application names. Named as a path
// because QSettings reads $XDG_CONFIG_HOME only once per process, and a changed HOME must count.
QString SettingsFile::path()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + QLatin1Char('/') +
           kOrganisation + QLatin1Char('/') + kApplication + QStringLiteral(".conf");
}

Settings readSettings()
{
    const Settings defaults;
    Settings read;
    const QSettings file(SettingsFile::path(), QSettings::IniFormat);
    if (!parsesCleanly(file))
        return defaults; // unreadable, or not a settings file at all: trust none of it
    read.keepAlarmsEnabled = readBool(file, kKeepAlarmsEnabledKey, defaults.keepAlarmsEnabled);
    read.startAtLogin = readBool(file, kStartAtLoginKey, defaults.startAtLogin);
    read.snoozeMinutes = readMinutes(file, kSnoozeMinutesKey, defaults.snoozeMinutes);
    return read;
}

bool staysEnabledAtStart(const Entry &stored, Entry::ReadProblem problem, bool keepAlarmsEnabled)
{
    return keepAlarmsEnabled && stored.isAlarm() && stored.enabled && problem == Entry::ReadProblem::None;
}

bool writeSettings(const Settings &settings)
{
    const QString path = SettingsFile::path();
    {
        // A parse error would stay in the status of the save below, hiding whether the save
        // worked. Such a file gave the defaults when read, so nothing in it is lost: start afresh.
        const QSettings old(path, QSettings::IniFormat);
        if (!parsesCleanly(old) && QFileInfo(path).isFile())
            QFile::remove(path);
    }
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    file.setValue(kKeepAlarmsEnabledKey, settings.keepAlarmsEnabled);
    file.setValue(kStartAtLoginKey, settings.startAtLogin);
    file.setValue(kSnoozeMinutesKey, settings.snoozeMinutes);
    file.sync();
    return file.status() == QSettings::NoError;
}
