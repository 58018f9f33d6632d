#include "core/autostart.h"

#include "core/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {
// Characters that make an Exec argument need quotes, and those that need a backslash inside them.
const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
const QString kEscapedInQuotes = QStringLiteral("\"`$\\");

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}
} // namespace

QString Autostart::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
           QStringLiteral("/autostart/tavrel.desktop");
}

QString Autostart::execArgument(const QString &argument)
{
    QString spelled = argument;
    spelled.replace(QLatin1Char('%'), QStringLiteral("%%")); // a lone % starts a field code
    const bool quoted =
        std::any_of(spelled.cbegin(), spelled.cend(), [](QChar c) { return kReserved.contains(c); });
    if (quoted) {
        QString inQuotes;
        for (const QChar c : spelled) {
            if (kEscapedInQuotes.contains(c))
                inQuotes += QLatin1Char('\\');
            inQuotes += c;
        }
        spelled = QLatin1Char('"') + inQuotes + QLatin1Char('"');
    }
    // The file's string escapes come on top: each backslash is written twice.
    return spelled.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

QString Autostart::entryText(const QString &program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tavrel\n"
                          "Comment=闹钟和倒计时器\n"
                          "Exec=%1 --%2\n"
                          "Icon=tavrel\n"
                          "Terminal=false\n")
        .arg(execArgument(program), kTrayOption);
}

bool Autostart::install(const QString &program, QString *error)
{
    if (hasControlCharacter(program)) {
        *error = Texts::kProgramPathUnusable;
        return false;
    }
    const QString path = entryPath();
    const QString directory = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(directory)) {
        *error = Texts::kFolderNotMade.arg(directory);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(program).toUtf8()) < 0 || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool Autostart::uninstall(QString *error)
{
    QFile file(entryPath());
    if (!QFileInfo::exists(file.fileName()) && !QFileInfo(file.fileName()).isSymLink())
        return true;
    if (!file.remove()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
