#include "storageinvariants.h"

#include "editor/entryrecord.h"
#include "storage/storagefile.h"
#include "storage/storagemigration.h"

#include <QBuffer>
#include <QTextStream>

using namespace StorageFile;

namespace StorageInvariants {

namespace {

const int kSlots = 20; // the window's row slots

struct Input
{
    QByteArray bytes;
    QStringList lines;
    bool validUtf8 = true;
    QString damage;
    bool canonical = false; // the bytes are exactly what a writer would write for these lines
};

Input readInput(const QByteArray &bytes)
{
    Input in;
    in.bytes = bytes;
    in.lines = splitLines(decodeUtf8(bytes, &in.validUtf8));
    in.damage = damageOfBytes(bytes);
    in.canonical = in.validUtf8 && joinLines(in.lines) == bytes;
    return in;
}

// Every write is followed by a read of what was written, as the window's next step does.
QStringList written(const QStringList &lines)
{
    return splitLines(decodeUtf8(joinLines(lines), nullptr));
}

QStringList startupLines(const QByteArray &bytes)
{
    QStringList lines = splitLines(decodeUtf8(bytes.isEmpty() ? newFileContent().toUtf8() : bytes, nullptr));
    bool upgraded = false;
    const QStringList up = upgradeHeader(lines, &upgraded);
    if (upgraded)
        lines = written(up);
    lines = written(migrate(lines).lines);
    const QStringList reset = resetStates(lines);
    return reset != lines ? written(reset) : lines;
}

bool isStateLine(int i, int records)
{
    return i >= 1 && (i - 1) / kRecordLines < records && (i - 1) % kRecordLines == kRecordLines - 1;
}

QString trimmedCr(QString line)
{
    while (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

QString fail(const QString &rule, int line = -1)
{
    return line < 0 ? rule : rule + QStringLiteral(" (line %1)").arg(line + 1);
}

// The walk of both row loads: nine lines per row, read into the entry record list.
QList<QStringList> loadedRecords(const QStringList &lines, int rows)
{
    LineReader in(lines);
    in.next(); // the header line
    QList<QStringList> records;
    for (int i = 0; i < rows; ++i) {
        QStringList nine;
        for (int k = 0; k < kRecordLines; ++k)
            nine << in.next();
        const QStringList record = readRecord(nine);
        // The side readers of a load: the stored time label, the command path, the repeat days.
        splitFields(nine.at(3)).value(1);
        recordValue(nine.at(6), 7);
        StorageFile::repeatDays(record.value(PosRepeat));
        records << record;
    }
    return records;
}

// The entries as the rows show them; the entry number is left out, since rewrites renumber it
// to the record's position and the loaders ignore it.
QList<QStringList> entriesOf(const QStringList &lines, int rows)
{
    QList<QStringList> records = loadedRecords(lines, rows);
    for (QStringList &record : records)
        if (record.size() > PosIndex)
            record[PosIndex] = QString();
    return records;
}

// The firing passes read the loop flags from the byte cache through a text stream.
QList<bool> cacheLoopFlags(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QTextStream stream(&buffer);
    stream.setCodec("UTF-8");
    stream.readLine();
    QList<bool> flags;
    for (int i = 0; i < kSlots; ++i) {
        QStringList nine;
        for (int k = 0; k < kRecordLines; ++k)
            nine << stream.readLine();
        flags << (readRecord(nine).value(PosLoop) == kYes);
    }
    return flags;
}

QList<bool> lineLoopFlags(const QStringList &lines)
{
    QList<bool> flags;
    for (const QStringList &record : loadedRecords(lines, kSlots))
        flags << (record.value(PosLoop) == kYes);
    return flags;
}

// A rewrite of the state lines changes nothing else and drops no line.
QString keepsAllButStates(const QStringList &before, const QStringList &after, int records, const char *what)
{
    if (after.size() < before.size())
        return fail(QString::fromLatin1(what) + QStringLiteral(" dropped lines"));
    for (int i = 0; i < before.size(); ++i) {
        if (!isStateLine(i, records) && after.at(i) != before.at(i))
            return fail(
                QString::fromLatin1(what) + QStringLiteral(" changed a line that is not a state line"), i);
    }
    return QString();
}

QList<bool> statesFrom(const QByteArray &bytes, int n)
{
    QList<bool> states;
    const uint mix = qHash(bytes);
    for (int i = 0; i < n; ++i)
        states << bool((mix >> (i % 32)) & 1u);
    return states;
}

// The lines of each record as start-up must leave them: eight-line records gain their command
// line, every state line reads "状态,关闭", nothing else changes.
QStringList expectedAfterStartup(const QStringList &lines)
{
    bool upgraded = false;
    QStringList expected = {trimmedCr(upgradeHeader(lines, &upgraded).value(0))};
    const int count = parseHeader(lines.value(0)).count;
    int pos = 1;
    for (int r = 0; r < count; ++r) {
        const bool eight = splitFields(lines.value(pos + 6)).at(0) == kLoopKey;
        for (int k = 0; k < 6; ++k)
            expected << trimmedCr(lines.value(pos + k));
        if (eight)
            expected << kCommandKey + QStringLiteral(",") + kNone;
        const int rest = eight ? 1 : 2;
        for (int k = 0; k < rest; ++k)
            expected << trimmedCr(lines.value(pos + 6 + k));
        expected << kStateOffLine;
        pos += eight ? 8 : 9;
    }
    return expected;
}

QString checkStateRewrites(const Input &in)
{
    const Header h = parseHeader(in.lines.value(0));
    const int records = recordIterations(h.count, in.lines.size());
    const QString reset = keepsAllButStates(in.lines, resetStates(in.lines), records, "state reset");
    if (!reset.isEmpty())
        return reset;
    const QList<bool> states = statesFrom(in.bytes, qMin(records, kSlots));
    const QStringList synced = applyStates(in.lines, states);
    const QString sync = keepsAllButStates(in.lines, synced, records, "synchronisation");
    if (!sync.isEmpty())
        return sync;
    const bool current = in.damage.isEmpty() && expectedAfterStartup(in.lines).size() == in.lines.size();
    if (current && synced.size() != in.lines.size())
        return fail(QStringLiteral("synchronisation changed the length of a well-formed file"));
    for (int r = 0; r < qMin(states.size(), records); ++r) {
        if (synced.value(1 + r * kRecordLines + 8) != (states.at(r) ? kStateOnLine : kStateOffLine))
            return fail(QStringLiteral("synchronisation wrote the wrong state"), 1 + r * kRecordLines + 8);
    }
    return QString();
}

QString checkCacheWalk(const Input &in)
{
    if (in.validUtf8 && cacheLoopFlags(in.bytes) != lineLoopFlags(in.lines))
        return fail(QStringLiteral("the byte cache reads other records than the loaders"));
    return QString();
}

QString checkStartupKeepsEntries(const Input &in)
{
    if (!in.damage.isEmpty() || in.bytes.isEmpty())
        return QString();
    const QStringList out = startupLines(in.bytes);
    const QStringList expected = expectedAfterStartup(in.lines);
    if (out.size() != expected.size())
        return fail(QStringLiteral("start-up changed the number of lines of an undamaged file"));
    for (int i = 0; i < out.size(); ++i) {
        if (trimmedCr(out.at(i)) != expected.at(i))
            return fail(QStringLiteral("start-up changed an entry of an undamaged file"), i);
    }
    if (!damage(out).isEmpty())
        return fail(QStringLiteral("start-up left a damaged file: ") + damage(out));
    if (startupLines(joinLines(out)) != out)
        return fail(QStringLiteral("a second start rewrote the file again"));
    return QString();
}

// A well-formed file in today's form comes back byte for byte, state lines apart.
QString checkByteIdentical(const Input &in)
{
    const Header h = parseHeader(in.lines.value(0));
    if (!in.damage.isEmpty() || !in.canonical || in.bytes.isEmpty() || h.fieldCount < 3 ||
        expectedAfterStartup(in.lines).size() != in.lines.size())
        return QString(); // older forms are converted, so they cannot come back unchanged
    const QByteArray out = startupRewrite(in.bytes);
    const QList<QByteArray> before = in.bytes.split('\n');
    const QList<QByteArray> after = out.split('\n');
    if (before.size() != after.size())
        return fail(QStringLiteral("a well-formed file changed its number of lines"));
    for (int i = 0; i < before.size(); ++i) {
        const bool state = isStateLine(i, h.count);
        if (state ? after.at(i) != kStateOffLine.toUtf8() : after.at(i) != before.at(i))
            return fail(QStringLiteral("a well-formed file did not come back byte for byte"), i);
    }
    return QString();
}

bool strictRecord(const QStringList &nine)
{
    static const QStringList keys = {kIndexKey, kTypeKey,    kNameKey, kTimeKey, kRepeatKey,
                                     kSoundKey, kCommandKey, kLoopKey, kStateKey};
    for (int k = 1; k <= kRecordLines; ++k) {
        const QStringList f = splitFields(nine.value(k - 1));
        if (f.size() < 2 || f.at(0) != keys.at(k - 1) || (!keepsCommas(k) && f.size() != 2))
            return false;
    }
    return QString::number(toIntOrZero(recordValue(nine.at(0), 1))) == recordValue(nine.at(0), 1);
}

StorageFile::Entry entryOf(const QStringList &record)
{
    StorageFile::Entry e;
    e.number = toIntOrZero(record.value(PosIndex));
    e.type = record.value(PosType);
    e.name = record.value(PosName);
    e.time = record.value(PosTime);
    e.repeat = record.value(PosRepeat);
    e.sound = record.value(PosSound);
    e.command = record.value(PosCommand);
    e.loop = record.value(PosLoop);
    e.state = record.value(PosState);
    return e;
}

// Header and records read into their parts and composed again give the same lines.
QString checkComposeRoundTrip(const Input &in)
{
    if (!in.damage.isEmpty())
        return QString();
    const QString line0 = in.lines.value(0);
    const Header h = parseHeader(line0);
    if (h.fieldCount >= 4 && splitFields(line0).at(1) == QString::number(h.count) &&
        composeHeader(h.count, h.background, h.field3) != line0)
        return fail(QStringLiteral("the header does not compose back"), 0);
    for (int r = 0; r < h.count && 1 + (r + 1) * kRecordLines <= in.lines.size(); ++r) {
        const QStringList nine = in.lines.mid(1 + r * kRecordLines, kRecordLines);
        if (strictRecord(nine) && composeRecord(entryOf(readRecord(nine))) != nine)
            return fail(QStringLiteral("a record does not compose back"), 1 + r * kRecordLines);
    }
    return QString();
}

// The editor's and the delete command's readers and rewrites: they must not crash on any file.
QString exerciseEditorRewrites(const Input &in)
{
    const int stored = EntryRecord::storedRecords(in.lines);
    EntryRecord::isFull(in.lines);
    for (int p = 1; p <= qMin(stored + 1, kSlots + 1); ++p) {
        EntryRecord::recordLines(in.lines, p);
        for (int k = 1; k <= kRecordLines; ++k)
            EntryRecord::recordField(in.lines, p, k);
    }
    StorageFile::Entry e;
    e.name = QStringLiteral("x");
    e.time = QStringLiteral("07:30");
    EntryRecord::appendRecord(in.lines, e);
    if (stored < 1)
        return QString();
    const QStringList replaced = EntryRecord::replaceRecord(in.lines, 1, e);
    const QStringList removed = EntryRecord::removeRecord(in.lines, stored);
    const bool current = in.damage.isEmpty() && expectedAfterStartup(in.lines).size() == in.lines.size();
    if (current && replaced.size() != in.lines.size())
        return fail(QStringLiteral("editing an entry changed the number of lines"));
    if (current && (entriesOf(removed, stored - 1) != entriesOf(in.lines, stored - 1) ||
                    parseHeader(removed.value(0)).count != stored - 1 ||
                    (parseHeader(in.lines.value(0)).fieldCount >= 4 &&
                     parseHeader(removed.value(0)).background != parseHeader(in.lines.value(0)).background)))
        return fail(QStringLiteral("deleting the last entry changed another entry"));
    return QString();
}

} // namespace

QByteArray startupRewrite(const QByteArray &bytes)
{
    return joinLines(startupLines(bytes));
}

int startupRows(const QByteArray &bytes)
{
    const QStringList lines =
        splitLines(decodeUtf8(bytes.isEmpty() ? newFileContent().toUtf8() : bytes, nullptr));
    return qMin(migrate(lines).records, kSlots);
}

QString check(const QByteArray &bytes)
{
    const Input in = readInput(bytes);
    const Header h = parseHeader(in.lines.value(0));
    loadedRecords(in.lines, qMin(recordIterations(h.count, in.lines.size()), kSlots));
    const QString checks[] = {checkStateRewrites(in), checkCacheWalk(in),        checkStartupKeepsEntries(in),
                              checkByteIdentical(in), checkComposeRoundTrip(in), exerciseEditorRewrites(in)};
    for (const QString &result : checks) {
        if (!result.isEmpty())
            return result;
    }
    const QByteArray once = startupRewrite(bytes);
    if (damageOfBytes(bytes).isEmpty() && !damageOfBytes(once).isEmpty())
        return fail(QStringLiteral("start-up turned an undamaged file into a damaged one"));
    return QString();
}

} // namespace StorageInvariants
