#include "core/storagefile.h"

#include "core/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextCodec>

using namespace Texts;

namespace {

constexpr int kRecordLines = StorageFile::kRecordLines;

QStringList fields(const QString &line)
{
    return Entry::storedFields(line);
}

QString recordValue(const QString &line, int recordLine)
{
    return Entry::storedValue(line, recordLine);
}

// The nine keys each followed by its comma, in file order: how every record line must begin.
const QStringList &recordKeyPrefixes()
{
    static const QStringList prefixes = [] {
        QStringList p;
        for (const QString &key : {kIndexKey, kTypeKey, kNameKey, kTimeKey, kRepeatKey, kSoundKey,
                                   kCommandKey, kLoopKey, kStateKey})
            p << key + QLatin1Char(',');
        return p;
    }();
    return prefixes;
}

// Field 1 of the line is exactly `key`.
bool keyIs(const QString &line, const QString &key)
{
    return line.startsWith(key) && (line.size() == key.size() || line.at(key.size()) == QLatin1Char(','));
}

// Reads lines one by one; past the end every read yields an empty line, as a text stream does.
class LineReader
{
public:
    explicit LineReader(const QStringList &lines) : m_lines(lines) {}
    QString next() { return m_lines.value(m_pos++); }
    bool atEnd() const { return m_pos >= m_lines.size(); }
    int position() const { return m_pos; }

private:
    const QStringList &m_lines;
    int m_pos = 0;
};

// Lines up to the last one with content: blank lines after it are not a record.
int usedLines(const QStringList &lines)
{
    int used = lines.size();
    while (used > 1 && lines.at(used - 1).isEmpty())
        --used;
    return used;
}

// The header's count, but never more records than the file holds: a count larger than the file
// (or absurd) would make records up out of empty lines. A record cut off at the end still counts,
// so its lines are kept.
int recordIterations(int count, const QStringList &lines)
{
    if (count <= 0)
        return 0;
    const int present = (qMax(0, usedLines(lines) - 1) + kRecordLines - 1) / kRecordLines;
    return qMin(count, present);
}

// Whole records the file holds: a record cut off at the end does not count, and without a
// readable header every record present counts.
int wholeRecords(const QStringList &lines)
{
    const int present = qMax(0, lines.size() - 1) / kRecordLines;
    const StorageHeader header = StorageHeader::read(lines.value(0));
    if (header.fieldCount < 2)
        return present;
    return qMin(recordIterations(header.count, lines), present);
}

// The nine lines of record `index` (0-based), short files padded with empty lines.
QStringList recordLines(const QStringList &lines, int index)
{
    QStringList nine;
    const int first = 1 + index * kRecordLines;
    for (int k = 0; k < kRecordLines; ++k)
        nine << lines.value(first + k);
    return nine;
}

// The header a rewrite that changes the count writes: fields as read, a new file's defaults
// for any that are missing.
QString headerWithCount(const QStringList &lines, int count)
{
    const StorageHeader h = StorageHeader::read(lines.value(0));
    const QString key = h.key.isEmpty() ? kCountKey : h.key;
    const QString field3 = h.fieldCount >= 3 ? h.field3 : kBackgroundKey;
    const QString background = h.fieldCount >= 4 ? h.background : kNone;
    const QLatin1Char comma(',');
    return key + comma + QString::number(count) + comma + field3 + comma + background;
}

// key "," value as the loaders read the line; a line without a comma is kept as it is, so it
// still takes up its place among the nine.
QString asRead(const QString &line, int recordLine)
{
    const QStringList f = fields(line);
    if (f.size() < 2)
        return line;
    return f.at(0) + QLatin1Char(',') + recordValue(line, recordLine);
}

QStringList rewriteStateLines(const QStringList &lines, int records, const std::function<QString(int)> &state)
{
    LineReader in(lines);
    QStringList out{in.next()};
    for (int r = 0; r < records; ++r) {
        for (int k = 1; k < kRecordLines; ++k)
            out << in.next();
        in.next(); // the old state line is replaced
        out << kStateKey + QLatin1Char(',') + state(r);
    }
    while (!in.atEnd())
        out << in.next();
    return out;
}

// Why record `r` (0-based) starting at line `pos` is damaged, or "" when its keys are those of
// a current or an eight-line record; *next is the line after it.
QString recordDamage(const QStringList &lines, int r, int pos, int *next)
{
    const QStringList &prefixes = recordKeyPrefixes();
    constexpr int kCommandLine = 6;
    for (int k = 0; k < kRecordLines; ++k, ++pos) {
        if (pos >= lines.size())
            return kDamageShort;
        const QString &line = lines.at(pos);
        if (line.startsWith(prefixes.at(k)))
            continue;
        // The old form has no command line: its loop line sits where the command line belongs.
        if (k == kCommandLine && line.startsWith(prefixes.at(kCommandLine + 1)))
            ++k;
        else
            return kDamageRecord.arg(r + 1);
    }
    *next = pos;
    return QString();
}

QByteArray readBytes(const QString &path, bool *ok)
{
    // Only a regular file (or a link to one) is read: opening a named pipe would wait forever.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *ok = false;
        return QByteArray();
    }
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

// A temporary file and an atomic rename: the old or the new file, never a mix.
bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// What the file holds is what start-up made of `backup`, but for state lines enabled or disabled
// since: the backup holds all of it but those state words, which start-up resets anyway.
bool preparedFrom(const QByteArray &backup, const QByteArray &found)
{
    const QStringList made = StorageFile::linesOf(StorageFile::preparedBytes(backup));
    const QStringList lines = StorageFile::linesOf(found);
    if (StorageFile::bytesOf(lines) != found || lines.size() != made.size() ||
        StorageFile::withStatesOff(lines) != made)
        return false;
    const QString statePrefix = kStateKey + QLatin1Char(',');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i) != made.at(i) && !lines.at(i).startsWith(statePrefix))
            return false;
    }
    return true;
}

// A backup beside `file` (named as backups are) that the person was already pointed to for these
// bytes: one that holds them byte for byte or, with `orPrepared`, one start-up made them from.
// "" when there is none.
QString earlierBackup(const QString &file, const QByteArray &bytes, bool orPrepared)
{
    const QFileInfo info(file);
    const QDir dir = info.dir();
    const QStringList names = dir.entryList({info.fileName() + kBackupInfix + QLatin1Char('*')}, QDir::Files,
                                            QDir::Name | QDir::Reversed);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        if (!orPrepared && QFileInfo(path).size() != bytes.size())
            continue;
        bool ok = false;
        const QByteArray held = readBytes(path, &ok);
        if (ok && (held == bytes || (orPrepared && preparedFrom(held, bytes))))
            return path;
    }
    return QString();
}

QByteArray newFileContent()
{
    return (StorageHeader::compose(0, kNone) + QLatin1Char('\n')).toUtf8();
}

} // namespace

// --- Notices --------------------------------------------------------------------------------

QString StorageNotice::text() const
{
    switch (kind) {
    case Kind::Unreadable:
        return kUnreadableAtStart.arg(path);
    case Kind::OccupiedByDirectory:
        return kOccupiedByDirectory.arg(path);
    case Kind::Damaged:
        return kDamagedBackedUp.arg(reason, backupPath);
    case Kind::DamagedNoBackup:
        return kDamagedNoBackup.arg(reason, backupPath);
    case Kind::LostEntriesRestored:
        return kLostEntriesRestored.arg(backupPath);
    case Kind::ChangedDamaged:
        return kChangedDamaged.arg(reason, backupPath);
    }
    return QString();
}

// --- The rules on lines ---------------------------------------------------------------------

QStringList StorageFile::linesOf(const QByteArray &bytes, bool *validUtf8)
{
    QTextCodec *codec = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    if (validUtf8)
        *validUtf8 = state.invalidChars == 0 && state.remainingChars == 0;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the terminator of the last line, or an empty file
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QByteArray StorageFile::bytesOf(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toUtf8();
        out += '\n';
    }
    return out;
}

QString StorageFile::damage(const QByteArray &bytes)
{
    bool validUtf8 = true;
    const QStringList lines = linesOf(bytes, &validUtf8);
    if (!validUtf8)
        return kDamageUtf8; // a rewrite would replace what could not be decoded
    return damageOfLines(lines);
}

QString StorageFile::damageOfLines(const QStringList &lines)
{
    const StorageHeader h = StorageHeader::read(lines.value(0));
    if (h.fieldCount < 2 || h.key != kCountKey)
        return kDamageHeader;
    if (!h.countReadable)
        return kDamageCount;
    if (h.count < 0 || h.count > kMaxEntries)
        return kDamageCountRange;
    int pos = 1;
    const QStringList held = lines.mid(0, usedLines(lines)); // blank lines at the end hold no record
    for (int r = 0; r < h.count; ++r) {
        const QString why = recordDamage(held, r, pos, &pos);
        if (!why.isEmpty())
            return why;
    }
    // Blank lines after the last record hold nothing; the next rewrite drops them.
    for (; pos < lines.size(); ++pos) {
        if (!lines.at(pos).isEmpty())
            return kDamageTrailing;
    }
    return QString();
}

QByteArray StorageFile::preparedBytes(const QByteArray &bytes, bool keepAlarmsEnabled)
{
    // Each step reads back what the one before it wrote, as start-up always has.
    QStringList lines = linesOf(bytes.isEmpty() ? newFileContent() : bytes);
    const QStringList upgraded = upgradedHeader(lines);
    if (upgraded != lines)
        lines = linesOf(bytesOf(upgraded));
    const QByteArray migratedBytes = bytesOf(migrated(lines));
    lines = linesOf(migratedBytes);
    const QStringList reset = withStatesAtStart(lines, keepAlarmsEnabled);
    return reset != lines ? bytesOf(reset) : migratedBytes;
}

int StorageFile::storedRecords(const QStringList &lines)
{
    const StorageHeader h = StorageHeader::read(lines.value(0));
    return h.fieldCount > 1 ? recordIterations(h.count, lines) : 0;
}

QStringList StorageFile::upgradedHeader(const QStringList &lines)
{
    QStringList out = lines;
    const QStringList f = fields(lines.value(0));
    if (!lines.isEmpty() && f.size() == 2)
        out[0] = lines.at(0) + QLatin1Char(',') + kBackgroundKey + QLatin1Char(',') + kNone;
    return out;
}

QStringList StorageFile::migrated(const QStringList &lines, int *records)
{
    LineReader in(lines);
    const QString header = in.next();
    const int count = StorageHeader::read(header).count;
    const int used = usedLines(lines);
    QStringList out{header};
    int n = 0;
    // Eight-line records are walked as they come, so the records present are counted as read.
    for (; n < count && in.position() < used; ++n) {
        for (int k = 1; k <= 6; ++k)
            out << in.next();
        const QString seventh = in.next();
        if (keyIs(seventh, kLoopKey)) {
            out << kCommandKey + QLatin1Char(',') + kNone << seventh; // an eight-line record
        } else {
            // A command line, or an unknown key: still nine lines, so later records stay in place.
            out << seventh << in.next();
        }
        out << in.next(); // the state line
    }
    if (n < count)
        out[0] = headerWithCount(lines, n); // what the file holds, so no later start finds it short
    if (records)
        *records = n;
    return out; // lines after the last record are not copied
}

QStringList StorageFile::withStates(const QStringList &lines, const QVector<bool> &enabled)
{
    const int records = qMin(enabled.size(), storedRecords(lines));
    return rewriteStateLines(lines, records, [&enabled](int r) { return enabled.at(r) ? kOn : kOff; });
}

QStringList StorageFile::withStatesOff(const QStringList &lines)
{
    return rewriteStateLines(lines, storedRecords(lines), [](int) { return kOff; });
}

QStringList StorageFile::withStatesAtStart(const QStringList &lines, bool keepAlarmsEnabled)
{
    if (!keepAlarmsEnabled)
        return withStatesOff(lines);
    return rewriteStateLines(lines, storedRecords(lines), [&lines](int r) {
        Entry::ReadProblem problem = Entry::ReadProblem::None;
        const Entry stored = Entry::fromStoredLines(lines.mid(1 + r * kRecordLines, kRecordLines), &problem);
        return staysEnabledAtStart(stored, problem, true) ? kOn : kOff;
    });
}

QStringList StorageFile::withBackground(const QStringList &lines, const QString &picture)
{
    const QString background = picture.isEmpty() ? kNone : picture;
    QStringList out = lines.isEmpty() ? QStringList{QString()} : lines;
    const QStringList f = fields(out.at(0));
    if (f.size() >= 3) {
        out[0] = f.mid(0, 3).join(QLatin1Char(',')) + QLatin1Char(',') + background;
        return out;
    }
    // A header cut short by damage is completed, so the records after it stay reachable.
    const StorageHeader h = StorageHeader::read(out.at(0));
    const int count = h.countReadable ? h.count : (out.size() - 1) / kRecordLines;
    out[0] = StorageHeader::compose(count, background);
    return out;
}

QStringList StorageFile::withAppended(const QStringList &lines, const Entry &entry)
{
    const int records = storedRecords(lines);
    QStringList out{headerWithCount(lines, records + 1)};
    for (int r = 0; r < records; ++r)
        out << recordLines(lines, r);
    return out << entry.toStoredLines(records + 1);
}

QStringList StorageFile::withReplaced(const QStringList &lines, int index, const Entry &entry)
{
    const int records = storedRecords(lines);
    QStringList out{lines.value(0)};
    for (int r = 0; r < records; ++r)
        out << (r == index ? entry.toStoredLines(index + 1) : recordLines(lines, r));
    return out;
}

QStringList StorageFile::withRemoved(const QStringList &lines, int index)
{
    const int records = storedRecords(lines);
    if (index < 0 || index >= records)
        return lines;
    QStringList out{headerWithCount(lines, records - 1)};
    for (int r = 0; r < records; ++r) {
        if (r == index)
            continue;
        const QStringList nine = recordLines(lines, r);
        const int number = r < index ? r + 1 : r;
        const QStringList first = fields(nine.at(0));
        out << (first.size() >= 2 ? first.at(0) + QLatin1Char(',') + QString::number(number) : nine.at(0));
        for (int k = 2; k <= kRecordLines; ++k)
            out << asRead(nine.at(k - 1), k);
    }
    return out;
}

StorageContents StorageFile::contentsOf(const QStringList &lines, int records)
{
    StorageContents c;
    const StorageHeader h = StorageHeader::read(lines.value(0));
    c.headerRead = h.fieldCount > 2;
    c.background = h.background == kNone ? QString() : h.background;
    const int n = qBound(0, records, kMaxEntries);
    c.entries.reserve(n);
    c.problems.reserve(n);
    QStringList nine;
    for (int k = 0; k < kRecordLines; ++k)
        nine << QString();
    for (int r = 0; r < n; ++r) {
        for (int k = 0; k < kRecordLines; ++k)
            nine[k] = lines.value(1 + r * kRecordLines + k); // short files read as empty lines
        Entry::ReadProblem problem = Entry::ReadProblem::None;
        c.entries << Entry::fromStoredLines(nine, &problem);
        c.problems << problem;
    }
    return c;
}

// --- The file -------------------------------------------------------------------------------

StorageFile::StorageFile(Clock now) : m_now(std::move(now)) {}

QString StorageFile::path()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + kStorageFileName;
}

QString StorageFile::backupPath() const
{
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTime();
    const QString base = path() + kBackupInfix + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

StorageResult StorageFile::prepare(bool keepAlarmsEnabled)
{
    StorageResult result;
    const QString file = path();
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QFileInfo info(file);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        writeBytes(file, newFileContent()); // an empty file holds nothing worth keeping

    bool ok = false;
    const QByteArray bytes = readBytes(file, &ok);
    if (!ok) {
        m_writable = false;
        m_count = 0;
        result.failure = StorageResult::Failure::Unreadable;
        // An empty list would look as if every entry were gone, so say why.
        if (QFileInfo::exists(file)) {
            const auto kind = QFileInfo(file).isDir() ? StorageNotice::Kind::OccupiedByDirectory
                                                      : StorageNotice::Kind::Unreadable;
            result.notices << StorageNotice{kind, file, QString(), QString()};
        }
        return result;
    }

    const QString reason = damage(bytes);
    // Damage the person was already told of, with its copy kept, is not copied and told again.
    if (!reason.isEmpty() && earlierBackup(file, bytes, true).isEmpty()) {
        const QString backup = backupPath();
        if (!QFile::copy(file, backup)) {
            // Without a copy nothing may rewrite the file: the steps below drop what they cannot place.
            m_writable = false;
            m_count = 0;
            result.failure = StorageResult::Failure::Unwritable;
            result.notices << StorageNotice{StorageNotice::Kind::DamagedNoBackup, file, reason, backup};
            return result;
        }
        result.notices << StorageNotice{StorageNotice::Kind::Damaged, file, reason, backup};
    }

    int records = 0;
    migrated(upgradedHeader(linesOf(bytes)), &records);
    m_count = qMin(records, kMaxEntries);
    const QByteArray prepared = preparedBytes(bytes, keepAlarmsEnabled);
    if (prepared != bytes)
        write(linesOf(prepared), prepared); // a failure leaves the old file whole; load() reads it
    result.entryCount = m_count;
    return result;
}

StorageResult StorageFile::load(StorageContents *contents)
{
    StorageResult result;
    if (!m_writable) {
        // Start-up could not read the file or keep a copy of it: the list stays empty.
        *contents = StorageContents();
        contents->headerRead = true;
        return result;
    }
    bool ok = false;
    QByteArray bytes;
    const QStringList lines = read(&ok, &result, &bytes);
    if (!ok) {
        result.failure = StorageResult::Failure::Unreadable;
        result.entryCount = m_count;
        return result;
    }
    const bool headerRead = StorageHeader::read(lines.value(0)).fieldCount > 2;
    if (headerRead)
        m_count = qMin(storedRecords(lines), kMaxEntries);
    const QString keptBackground = contents->background;
    *contents = contentsOf(lines, m_count);
    if (!headerRead)
        contents->background = keptBackground;
    contents->bytes = bytes;
    m_knownBytes = bytes;
    m_lastGood = lines;
    m_listShown = true;
    result.entryCount = m_count;
    return result;
}

StorageResult StorageFile::setStates(const QVector<bool> &enabled)
{
    return rewrite([&enabled](const QStringList &lines) {
        // A file whose header cannot be read is left exactly as it is.
        return fields(lines.value(0)).size() > 1 ? withStates(lines, enabled) : lines;
    });
}

StorageResult StorageFile::setBackground(const QString &picture)
{
    return rewrite([&picture](const QStringList &lines) { return withBackground(lines, picture); });
}

StorageResult StorageFile::append(const Entry &entry)
{
    bool full = false;
    StorageResult result = rewrite([&](const QStringList &lines) {
        full = StorageHeader::read(lines.value(0)).count >= kMaxEntries;
        return full ? lines : withAppended(lines, entry);
    });
    if (full && result.ok())
        result.failure = StorageResult::Failure::Full;
    return result;
}

StorageResult StorageFile::replace(int index, const Entry &entry)
{
    bool missing = false;
    StorageResult result = rewrite([&](const QStringList &lines) {
        missing = index < 0 || index >= storedRecords(lines);
        return missing ? lines : withReplaced(lines, index, entry);
    });
    if (missing && result.ok())
        result.failure = StorageResult::Failure::NoSuchEntry;
    return result;
}

StorageResult StorageFile::remove(int index)
{
    bool missing = false;
    StorageResult result = rewrite([&](const QStringList &lines) {
        missing = index < 0 || index >= storedRecords(lines);
        return missing ? lines : withRemoved(lines, index);
    });
    if (missing && result.ok())
        result.failure = StorageResult::Failure::NoSuchEntry;
    return result;
}

// Reads the file, applies the change, writes the result when it differs.
StorageResult StorageFile::rewrite(const std::function<QStringList(const QStringList &)> &change)
{
    StorageResult result;
    bool ok = false;
    const QStringList lines = read(&ok, &result);
    if (!ok) {
        result.failure = StorageResult::Failure::Unreadable;
        result.entryCount = m_count;
        return result;
    }
    const QStringList changed = change(lines);
    if (changed != lines && !write(changed)) {
        result.failure = StorageResult::Failure::Unwritable;
        result.entryCount = m_count;
        return result;
    }
    if (changed != lines)
        m_count = qMin(storedRecords(changed), kMaxEntries);
    result.entryCount = m_count;
    return result;
}

QStringList StorageFile::read(bool *ok, StorageResult *result, QByteArray *bytesRead)
{
    const QString file = path();
    QByteArray bytes = readBytes(file, ok);
    if (!*ok)
        return QStringList();
    QStringList lines = linesOf(bytes);
    if (m_writable && m_listShown && bytes != m_knownBytes) {
        bool putBack = false;
        *ok = judgeChange(bytes, &lines, result, &putBack);
        if (!*ok)
            return QStringList(); // nothing may build on what was found
        if (putBack)
            bytes = m_knownBytes;
    }
    if (bytesRead)
        *bytesRead = bytes;
    return lines;
}

// Something else changed the file while the list shows it, and it is read and judged as start-up
// reads and judges a file. Well formed, *lines becomes its records as start-up reads them (in
// today's form; states and header as stored). Damaged, or short of the list's entries, it is
// kept aside byte for byte and the list's content goes back on disk, and into *lines, before
// anything builds on it. False when that could not be done.
bool StorageFile::judgeChange(const QByteArray &bytes, QStringList *lines, StorageResult *result,
                              bool *putBack)
{
    const QString reason = damage(bytes);
    const QStringList asStarted = reason.isEmpty() ? migrated(*lines) : *lines;
    const bool lost = wholeRecords(asStarted) < wholeRecords(m_lastGood);
    *putBack = lost || !reason.isEmpty();
    if (!*putBack) {
        *lines = asStarted;
        return true;
    }
    const QString file = path();
    // Bytes already kept aside are not copied again; the person is still told their change was undone.
    const QString earlier = earlierBackup(file, bytes, false);
    const QString backup = earlier.isEmpty() ? backupPath() : earlier;
    if ((earlier.isEmpty() && !QFile::copy(file, backup)) || !write(m_lastGood))
        return false;
    // A file cut short is said to be so; any other damage by its reason.
    if (lost && (reason.isEmpty() || m_knownBytes.startsWith(bytes)))
        result->notices << StorageNotice{StorageNotice::Kind::LostEntriesRestored, file, QString(), backup};
    else
        result->notices << StorageNotice{StorageNotice::Kind::ChangedDamaged, file, reason, backup};
    *lines = m_lastGood;
    return true;
}

bool StorageFile::write(const QStringList &lines, const QByteArray &bytes)
{
    if (!m_writable)
        return false; // never overwrite what could not be read or kept
    const QByteArray out = bytes.isNull() ? bytesOf(lines) : bytes;
    if (!writeBytes(path(), out))
        return false;
    m_knownBytes = out;
    if (m_listShown)
        m_lastGood = lines;
    return true;
}
