#include "storage/storagefile.h"

namespace StorageFile {

const QStringList &weekdayNames()
{
    static const QStringList names = {QStringLiteral("星期一"), QStringLiteral("星期二"),
                                      QStringLiteral("星期三"), QStringLiteral("星期四"),
                                      QStringLiteral("星期五"), QStringLiteral("星期六"),
                                      QStringLiteral("星期日")};
    return names;
}

QStringList splitFields(const QString &line)
{
    return line.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

int toIntOrZero(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

Header parseHeader(const QString &line)
{
    const QStringList f = splitFields(line);
    Header h;
    h.fieldCount = f.size();
    if (f.size() >= 2) {
        bool ok = false;
        h.count = f.at(1).toInt(&ok, 10);
        h.countReadable = ok;
        if (!ok)
            h.count = 0;
    }
    if (f.size() >= 3)
        h.field3 = f.at(2);
    if (f.size() >= 4)
        h.background = f.mid(3).join(QLatin1Char(','));
    return h;
}

QString composeHeader(int count, const QString &background, const QString &field3)
{
    return kCountKey + QLatin1Char(',') + QString::number(count) + QLatin1Char(',') + field3 +
           QLatin1Char(',') + background;
}

QString newFileContent()
{
    return composeHeader(0, kNone) + QLatin1Char('\n');
}

bool keepsCommas(int recordLine)
{
    return recordLine == 3 || recordLine == 6 || recordLine == 7;
}

QString recordValue(const QString &line, int recordLine)
{
    const QStringList f = splitFields(line);
    if (f.size() < 2)
        return QString();
    return keepsCommas(recordLine) ? f.mid(1).join(QLatin1Char(',')) : f.at(1);
}

QStringList readRecord(const QStringList &nineLines)
{
    QStringList record;
    for (int k = 1; k <= kRecordLines; ++k) {
        const QStringList f = splitFields(nineLines.value(k - 1));
        if (f.size() < 2)
            continue; // a short line still uses up one of the nine
        record << f.at(0) << (keepsCommas(k) ? f.mid(1).join(QLatin1Char(',')) : f.at(1));
    }
    return record;
}

QStringList composeRecord(const Entry &e)
{
    const QLatin1Char comma(',');
    return {kIndexKey + comma + QString::number(e.number),
            kTypeKey + comma + e.type,
            kNameKey + comma + e.name,
            kTimeKey + comma + e.time,
            kRepeatKey + comma + e.repeat,
            kSoundKey + comma + e.sound,
            kCommandKey + comma + e.command,
            kLoopKey + comma + e.loop,
            kStateKey + comma + e.state};
}

QStringList repeatDays(const QString &value)
{
    if (value == kNo)
        return {kNo};
    if (value.size() > 3)
        return value.split(QLatin1Char('|'));
    return {value};
}

QString joinRepeatDays(const QStringList &days)
{
    return days.isEmpty() ? kNo : days.join(QLatin1Char('|'));
}

} // namespace StorageFile
