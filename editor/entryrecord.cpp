#include "editor/entryrecord.h"

#include "storage/storagemigration.h"

#include <QRegularExpression>

using namespace StorageFile;

namespace EntryRecord {

namespace {

const QString kSummaryPrefix = QStringLiteral("重复：");
const QString kSummaryOnce = QStringLiteral("重复：一次");
const QString kPairSpacer = QString(12, QLatin1Char(' '));

// The header a rewrite writes: fields as read, with the defaults of a new file for any missing.
QString headerWith(const QStringList &lines, int count)
{
    const QStringList f = splitFields(lines.value(0));
    const Header h = parseHeader(lines.value(0));
    const QString field1 = f.value(0).isEmpty() ? kCountKey : f.at(0);
    const QString field3 = h.fieldCount >= 3 ? h.field3 : kBackgroundKey;
    const QString background = h.fieldCount >= 4 ? h.background : kNone;
    return field1 + QLatin1Char(',') + QString::number(count) + QLatin1Char(',') + field3 + QLatin1Char(',') +
           background;
}

// key "," value as the loaders read the line; a line without a comma is kept as it is, so it
// still takes up its place among the nine.
QString asRead(const QString &line, int k)
{
    const QStringList f = splitFields(line);
    if (f.size() < 2)
        return line;
    return f.at(0) + QLatin1Char(',') + recordValue(line, k);
}

} // namespace

QString normaliseTime(const QString &time)
{
    QStringList parts = time.split(QLatin1Char(':'));
    if (parts.size() != 2 && parts.size() != 3)
        return time;
    for (QString &part : parts) {
        if (part.size() == 1)
            part.prepend(QLatin1Char('0'));
    }
    return parts.join(QLatin1Char(':'));
}

QString singleLine(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{0085}\\x{2028}\\x{2029}]"));
    QString out = text;
    return out.replace(breaks, QStringLiteral(" "));
}

bool hasLineBreak(const QString &text)
{
    return singleLine(text) != text;
}

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList repeatSummary(const QStringList &days)
{
    QStringList columns{QString(), QString(), QString(), QString()};
    if (days.isEmpty()) {
        columns[0] = kSummaryOnce;
        return columns;
    }
    columns[0] = kSummaryPrefix + days.at(0);
    for (int c = 1; c < 4; ++c) {
        const int first = 2 * c - 1;
        if (first >= days.size())
            break;
        columns[c] = days.at(first);
        if (first + 1 < days.size())
            columns[c] += kPairSpacer + days.at(first + 1);
    }
    return columns;
}

QString repeatValue(const QStringList &checkedDays)
{
    QStringList ordered;
    for (const QString &day : weekdayNames()) {
        if (checkedDays.contains(day))
            ordered << day;
    }
    return joinRepeatDays(ordered);
}

int storedRecords(const QStringList &lines)
{
    const Header h = parseHeader(lines.value(0));
    return h.fieldCount > 1 ? recordIterations(h.count, lines.size()) : 0;
}

bool isFull(const QStringList &lines)
{
    return parseHeader(lines.value(0)).count >= kMaxEntries;
}

QStringList recordLines(const QStringList &lines, int position)
{
    QStringList nine;
    const int first = 1 + (position - 1) * kRecordLines;
    for (int k = 0; k < kRecordLines; ++k)
        nine << lines.value(first + k);
    return nine;
}

QString recordField(const QStringList &lines, int position, int k)
{
    return recordValue(recordLines(lines, position).at(k - 1), k);
}

QStringList appendRecord(const QStringList &lines, Entry entry)
{
    const int records = storedRecords(lines);
    entry.number = records + 1;
    QStringList out{headerWith(lines, entry.number)};
    for (int r = 1; r <= records; ++r)
        out << recordLines(lines, r);
    return out << composeRecord(entry);
}

QStringList replaceRecord(const QStringList &lines, int position, const Entry &entry)
{
    const int records = storedRecords(lines);
    QStringList out{lines.value(0)};
    for (int r = 1; r <= records; ++r)
        out << (r == position ? composeRecord(entry) : recordLines(lines, r));
    return out;
}

QStringList removeRecord(const QStringList &lines, int position)
{
    const int records = storedRecords(lines);
    if (position < 1 || position > records)
        return lines;
    QStringList out{headerWith(lines, records - 1)};
    for (int r = 1; r <= records; ++r) {
        if (r == position)
            continue;
        const QStringList nine = recordLines(lines, r);
        const int newNumber = r < position ? r : r - 1;
        for (int k = 1; k <= kRecordLines; ++k) {
            if (k == 1 && splitFields(nine.at(0)).size() >= 2)
                out << splitFields(nine.at(0)).at(0) + QLatin1Char(',') + QString::number(newNumber);
            else
                out << asRead(nine.at(k - 1), k);
        }
    }
    return out;
}

QString deleteQuestion(const QString &type, const QString &name, const QString &time)
{
    return QStringLiteral("确认删除类型为[") + type + QStringLiteral("]、名称为[") + name +
           QStringLiteral("]、时间为[") + time + QStringLiteral("]的 ") + type + QStringLiteral(" 吗？");
}

} // namespace EntryRecord
