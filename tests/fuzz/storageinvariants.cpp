#include "storageinvariants.h"

#include "core/entry.h"
#include "core/storagefile.h"

using namespace Texts;

namespace StorageInvariants {

namespace {

constexpr int kLines = StorageFile::kRecordLines;
constexpr int kSlots = StorageFile::kMaxEntries;

struct Input
{
    QByteArray bytes;
    QStringList lines;
    bool validUtf8 = true;
    QString damage;
    bool canonical = false; // the bytes are exactly what a writer would write for these lines
    bool current = false;   // undamaged and already in today's form (nothing to upgrade or migrate)
};

QString fail(const QString &rule, int line = -1)
{
    return line < 0 ? rule : rule + QStringLiteral(" (line %1)").arg(line + 1);
}

// Start-up reads back what each of its steps wrote, so a line ending in several "\r" loses one
// per read; the rules compare lines without them.
QString trimmedCr(QString line)
{
    while (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

QStringList trimmedCr(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out << trimmedCr(line);
    return out;
}

bool isStateLine(int i, int records)
{
    return i >= 1 && (i - 1) / kLines < records && (i - 1) % kLines == kLines - 1;
}

// The lines start-up must leave for an undamaged file: eight-line records gain their command
// line, every state line reads "状态,关闭", nothing else changes, blank lines at the end go.
QStringList expectedAfterStartup(const QStringList &lines)
{
    QStringList expected = {StorageFile::upgradedHeader(lines).value(0)};
    const int count = StorageHeader::read(lines.value(0)).count;
    int pos = 1;
    for (int r = 0; r < count; ++r) {
        const bool eight = lines.value(pos + 6).startsWith(kLoopKey + QLatin1Char(','));
        for (int k = 0; k < 6; ++k)
            expected << lines.value(pos + k);
        expected << (eight ? kCommandKey + QLatin1Char(',') + kNone : lines.value(pos + 6));
        expected << lines.value(pos + (eight ? 6 : 7));
        expected << kStateKey + QLatin1Char(',') + kOff;
        pos += eight ? 8 : 9;
    }
    return expected;
}

Input readInput(const QByteArray &bytes)
{
    Input in;
    in.bytes = bytes;
    in.lines = StorageFile::linesOf(bytes, &in.validUtf8);
    in.damage = StorageFile::damage(bytes);
    in.canonical = in.validUtf8 && StorageFile::bytesOf(in.lines) == bytes;
    in.current = in.damage.isEmpty() && !bytes.isEmpty() &&
                 StorageHeader::read(in.lines.value(0)).fieldCount >= 3 &&
                 expectedAfterStartup(in.lines).size() == in.lines.size();
    return in;
}

// A rewrite of the state lines changes nothing else and drops no line.
QString keepsAllButStates(const QStringList &before, const QStringList &after, int records, const char *what)
{
    // A file cut short is padded to whole records, so it may only grow.
    if (after.size() < before.size())
        return fail(QString::fromLatin1(what) + QStringLiteral(" dropped lines"));
    for (int i = 0; i < before.size(); ++i) {
        if (!isStateLine(i, records) && after.at(i) != before.at(i))
            return fail(
                QString::fromLatin1(what) + QStringLiteral(" changed a line that is not a state line"), i);
    }
    return QString();
}

QVector<bool> statesFrom(const QByteArray &bytes, int n)
{
    QVector<bool> states;
    const uint mix = qHash(bytes);
    for (int i = 0; i < n; ++i)
        states << bool((mix >> (i % 32)) & 1u);
    return states;
}

QString checkStateRewrites(const Input &in)
{
    const int records = StorageFile::storedRecords(in.lines);
    const QString reset =
        keepsAllButStates(in.lines, StorageFile::withStatesOff(in.lines), records, "state reset");
    if (!reset.isEmpty())
        return reset;
    const QVector<bool> states = statesFrom(in.bytes, qMin(records, kSlots));
    const QStringList synced = StorageFile::withStates(in.lines, states);
    const QString sync = keepsAllButStates(in.lines, synced, records, "synchronisation");
    if (!sync.isEmpty())
        return sync;
    for (int r = 0; r < states.size(); ++r) {
        const QString want = kStateKey + QLatin1Char(',') + (states.at(r) ? kOn : kOff);
        if (synced.value(1 + r * kLines + 8) != want)
            return fail(QStringLiteral("synchronisation wrote the wrong state"), 1 + r * kLines + 8);
    }
    return QString();
}

// What the damage judge lets through, start-up keeps: every non-blank line in order.
QString checkNothingLostUnlessBackedUp(const Input &in)
{
    if (!in.damage.isEmpty() || in.bytes.isEmpty())
        return QString();
    const QByteArray once = StorageFile::preparedBytes(in.bytes);
    const QStringList out = StorageFile::linesOf(once);
    const QStringList expected = expectedAfterStartup(in.lines);
    if (trimmedCr(out) != trimmedCr(expected))
        return fail(QStringLiteral("start-up changed an undamaged file other than by its known steps"));
    for (int i = expected.size(); i < in.lines.size(); ++i) {
        if (!in.lines.at(i).isEmpty())
            return fail(QStringLiteral("start-up dropped a line with content without a backup"), i);
    }
    if (!StorageFile::damage(once).isEmpty())
        return fail(QStringLiteral("start-up left a damaged file: ") + StorageFile::damage(once));
    if (trimmedCr(StorageFile::linesOf(StorageFile::preparedBytes(once))) != trimmedCr(out))
        return fail(QStringLiteral("a second start changed the entries again"));
    return QString();
}

// A well-formed file in today's form comes back byte for byte, state lines apart.
QString checkByteIdentical(const Input &in)
{
    if (!in.current || !in.canonical)
        return QString();
    const QList<QByteArray> before = in.bytes.split('\n');
    const QList<QByteArray> after = StorageFile::preparedBytes(in.bytes).split('\n');
    const int records = StorageHeader::read(in.lines.value(0)).count;
    if (before.size() != after.size())
        return fail(QStringLiteral("a well-formed file changed its number of lines"));
    for (int i = 0; i < before.size(); ++i) {
        const QByteArray off = (kStateKey + QLatin1Char(',') + kOff).toUtf8();
        if (isStateLine(i, records) ? after.at(i) != off : after.at(i) != before.at(i))
            return fail(QStringLiteral("a well-formed file did not come back byte for byte"), i);
    }
    return QString();
}

// Entries read from any record and written again read back the same.
QString checkEntryRoundTrip(const Input &in)
{
    const QVector<Entry> loaded =
        StorageFile::contentsOf(in.lines, StorageFile::storedRecords(in.lines)).entries;
    const int records = loaded.size();
    QStringList written{StorageHeader::compose(records, kNone)};
    for (int r = 0; r < records; ++r) {
        const QStringList once = loaded.at(r).toStoredLines(r + 1);
        if (once.size() != kLines || Entry::fromStoredLines(once).toStoredLines(r + 1) != once)
            return fail(QStringLiteral("an entry does not read back as it was written"), 1 + r * kLines);
        written << once;
    }
    if (!StorageFile::damage(StorageFile::bytesOf(written)).isEmpty())
        return fail(QStringLiteral("entries written again are judged damaged"));
    return QString();
}

// The editor's and the delete command's rewrites: the lines they must not touch stay as they were.
QString checkEntryRewrites(const Input &in)
{
    const int stored = StorageFile::storedRecords(in.lines);
    Entry e;
    e.name = QStringLiteral("x");
    e.alarmTime = QTime(7, 30);
    const QStringList appended = StorageFile::withAppended(in.lines, e);
    if (StorageFile::storedRecords(appended) != stored + 1 && stored < kSlots)
        return fail(QStringLiteral("appending did not add one entry"));
    if (!in.current || stored < 1)
        return QString();
    if (appended.mid(1, stored * kLines) != in.lines.mid(1, stored * kLines))
        return fail(QStringLiteral("appending changed an entry"));
    const QStringList replaced = StorageFile::withReplaced(in.lines, 0, e);
    if (replaced.size() != in.lines.size() || replaced.mid(1 + kLines) != in.lines.mid(1 + kLines))
        return fail(QStringLiteral("editing the first entry changed another line"));
    const QStringList removed = StorageFile::withRemoved(in.lines, stored - 1);
    if (removed.size() != in.lines.size() - kLines ||
        StorageHeader::read(removed.value(0)).count != stored - 1)
        return fail(QStringLiteral("deleting the last entry did not remove exactly its lines"));
    const StorageContents before = StorageFile::contentsOf(in.lines, stored - 1);
    const StorageContents after = StorageFile::contentsOf(removed, stored - 1);
    for (int r = 0; r < before.entries.size(); ++r) {
        if (before.entries.at(r).toStoredLines(1) != after.entries.at(r).toStoredLines(1))
            return fail(QStringLiteral("deleting the last entry changed another entry"));
    }
    const StorageHeader header = StorageHeader::read(in.lines.value(0));
    if (header.fieldCount >= 4 && StorageHeader::read(removed.value(0)).background != header.background)
        return fail(QStringLiteral("deleting an entry changed the background"));
    return QString();
}

QString checkBackground(const Input &in)
{
    const QStringList pictured = StorageFile::withBackground(in.lines, QStringLiteral("/p/a,b.png"));
    if (pictured.mid(1) != (in.lines.isEmpty() ? QStringList() : in.lines.mid(1)))
        return fail(QStringLiteral("setting the background changed a record"));
    if (StorageFile::contentsOf(pictured, 0).background != QStringLiteral("/p/a,b.png"))
        return fail(QStringLiteral("the background does not read back"));
    return QString();
}

} // namespace

QByteArray startupRewrite(const QByteArray &bytes)
{
    return StorageFile::preparedBytes(bytes);
}

int startupRows(const QByteArray &bytes)
{
    int records = 0;
    StorageFile::migrated(StorageFile::linesOf(bytes.isEmpty() ? startupRewrite(bytes) : bytes), &records);
    return qMin(records, kSlots);
}

QString checkReaders(const QByteArray &bytes)
{
    bool validUtf8 = true;
    const QStringList lines = StorageFile::linesOf(bytes, &validUtf8);
    const QString damage = validUtf8 ? StorageFile::damageOfLines(lines) : StorageFile::damage(bytes);
    if (!validUtf8 && damage.isEmpty())
        return fail(QStringLiteral("bytes that are not UTF-8 were not judged damaged"));
    Input in;
    in.bytes = bytes;
    in.lines = lines;
    in.validUtf8 = validUtf8;
    in.damage = damage;
    const StorageContents contents = StorageFile::contentsOf(lines, StorageFile::storedRecords(lines));
    if (contents.entries.size() != qMin(StorageFile::storedRecords(lines), kSlots))
        return fail(QStringLiteral("the load read another number of entries than the file holds"));
    const QString line0 = lines.value(0);
    const StorageHeader h = StorageHeader::read(line0);
    if (damage.isEmpty() && h.fieldCount >= 4 &&
        line0.section(QLatin1Char(','), 1, 1) == QString::number(h.count) &&
        StorageHeader::compose(h.count, h.background, h.field3) != line0)
        return fail(QStringLiteral("the header does not compose back"), 0);
    return QString();
}

QString checkRewrites(const QByteArray &bytes)
{
    const Input in = readInput(bytes);
    const QString checks[] = {
        checkEntryRoundTrip(in), checkStateRewrites(in), checkNothingLostUnlessBackedUp(in),
        checkByteIdentical(in),  checkEntryRewrites(in), checkBackground(in)};
    for (const QString &result : checks) {
        if (!result.isEmpty())
            return result;
    }
    return QString();
}

QString check(const QByteArray &bytes)
{
    const QString readers = checkReaders(bytes);
    return readers.isEmpty() ? checkRewrites(bytes) : readers;
}

} // namespace StorageInvariants
