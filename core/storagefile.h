#ifndef TAVREL_CORE_STORAGEFILE_H
#define TAVREL_CORE_STORAGEFILE_H

#include "core/entry.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Something about the storage file the user must be told. The core shows nothing itself: the
// window turns each notice into a prompt (text() gives the words the program has always used).
struct StorageNotice
{
    enum class Kind
    {
        Unreadable,          // start-up could not read the file: the list stays empty and
                             // nothing is written during this run
        OccupiedByDirectory, // a folder sits where the file belongs: as Unreadable
        Damaged,             // copied byte for byte to backupPath before anything rewrote it
        DamagedNoBackup,     // no copy could be made (backupPath is where it was tried):
                             // nothing is written during this run
        LostEntriesRestored, // another program cut the file short while the list showed its
                             // entries: the list's content is back on disk, the short file at backupPath
        ChangedDamaged,      // another program left the file damaged while the list showed it:
                             // as LostEntriesRestored, with the reason
    };

    Kind kind = Kind::Unreadable;
    QString path;       // the storage file
    QString reason;     // Damaged, DamagedNoBackup, ChangedDamaged: why, in the user's words
    QString backupPath; // all but Unreadable and OccupiedByDirectory

    QString text() const;
};

// The outcome of one operation on the file.
struct StorageResult
{
    enum class Failure
    {
        None,
        Unreadable,  // the file could not be read (or start-up could not read it): nothing written
        Unwritable,  // the write failed or this run may not write: the file is as it was
        Full,        // append: the file already holds 20 entries
        NoSuchEntry, // replace, remove: the file has no entry at that index (any more)
    };

    Failure failure = Failure::None;
    QVector<StorageNotice> notices; // show in this order, whether or not the operation succeeded
    int entryCount = 0;             // entries the list shows after the operation (load, append, remove)

    bool ok() const { return failure == Failure::None; }
};

// What a load read.
struct StorageContents
{
    QVector<Entry> entries;               // the entries the list shows, in file order (at most 20)
    QVector<Entry::ReadProblem> problems; // one per entry: what the record held that its Entry cannot
    bool headerRead = false;              // false: the header had two fields or fewer, so the
                                          // entry count and background were kept from before
    QString background;                   // empty: none (stored as 无); otherwise the picture's path
    QByteArray bytes;                     // the file as read
};

// The storage file: Documents/Tavrel存储文件.txt. One object per window; every operation reads the
// whole file again and rewrites it whole, atomically (QSaveFile: the old or the new file, never a
// mix; a symbolic link is written through to its target).
//
// Rules every operation keeps:
// - Nothing is written when the read before it failed, nor at all during a run whose start-up
//   could not read the file or could not back up a damaged one.
// - A damaged file is copied aside byte for byte before anything rewrites it.
// - Records an operation does not change come back byte for byte (state lines apart where the
//   operation sets them).
// - When another program changes the file behind the list's back, the next operation judges it
//   as start-up does; damaged, or cut short of the list's entries, it is kept as a backup and
//   the last loaded (or written) content goes back first.
class StorageFile
{
public:
    static constexpr int kMaxEntries = 20;
    static constexpr int kRecordLines = 9;

    // Where backups take their time stamp from; the wall clock by default.
    using Clock = std::function<QDateTime()>;
    explicit StorageFile(Clock now = Clock());

    // Documents + "/Tavrel存储文件.txt", looked up afresh each call (tests move HOME).
    static QString path();

    // Start-up: makes the Documents directory and a new file when there is none (or it is empty),
    // judges damage (backup + notice), upgrades a two-field header, migrates eight-line records
    // and stores every entry as disabled (with keepAlarmsEnabled, an alarm stored enabled stays
    // so; see staysEnabledAtStart). Call once, before the first load().
    StorageResult prepare(bool keepAlarmsEnabled = false);

    // Reads every entry the list shows. result.entryCount is the list's new length. On failure the
    // contents are left untouched (the list keeps what it shows). In a run whose start-up could not
    // read the file or back it up, the list is empty and nothing is read.
    StorageResult load(StorageContents *contents);

    // State sync: record i's state line becomes 开启 when enabled[i], else 关闭, for the first
    // enabled.size() records; every other line is kept as read. A file whose header cannot be
    // read is left alone (still ok()).
    StorageResult setStates(const QVector<bool> &enabled);

    // The header's background field; an empty picture stores 无. Fields 1 to 3 are kept as read.
    StorageResult setBackground(const QString &picture);

    // New entry: numbered count + 1 and written after the last record; the header count goes up.
    // Refused with Full when the header already counts 20 or more.
    StorageResult append(const Entry &entry);

    // Edit: record `index` (0-based) gets the entry's nine lines; nothing else changes.
    StorageResult replace(int index, const Entry &entry);

    // Delete: record `index` (0-based) goes, the count drops by one, later records are renumbered.
    // The records it writes again keep key "," value as the load reads them (extra fields after
    // the value of a line other than name, sound and command are dropped).
    StorageResult remove(int index);

    // False once start-up could not read the file or back up a damaged one.
    bool writable() const { return m_writable; }

    // --- The rules themselves, on the file's content without touching a file ------------------
    // Shared by the operations above, the tests and the fuzz target.

    // Lines as a text stream reads them ("\n" or "\r\n" removed, no empty line after the last
    // "\n"). *validUtf8 is false when the bytes are not valid UTF-8.
    static QStringList linesOf(const QByteArray &bytes, bool *validUtf8 = nullptr);
    // Every line followed by "\n", in UTF-8.
    static QByteArray bytesOf(const QStringList &lines);

    // Why the bytes are a damaged storage file, in the words of the damage prompt; "" when they
    // are well formed or one of the older forms the start-up upgrades. Each record must carry the
    // nine keys in order (or the eight of the old form without 命令文件); blank lines after the
    // last record are not damage.
    static QString damage(const QByteArray &bytes);
    // The same for lines already decoded from valid UTF-8.
    static QString damageOfLines(const QStringList &lines);

    // What start-up leaves in the file for these bytes when it may write: header upgrade,
    // migration, every state 关闭 (but kept alarms'). An empty input is a new file.
    static QByteArray preparedBytes(const QByteArray &bytes, bool keepAlarmsEnabled = false);

    // Records the whole-file steps walk for these lines: the header count, but never more than
    // the records present (a record cut off at the end counts; blank lines after it do not).
    static int storedRecords(const QStringList &lines);

    static QStringList upgradedHeader(const QStringList &lines);
    static QStringList migrated(const QStringList &lines, int *records = nullptr);
    static QStringList withStates(const QStringList &lines, const QVector<bool> &enabled);
    static QStringList withStatesOff(const QStringList &lines);
    static QStringList withStatesAtStart(const QStringList &lines, bool keepAlarmsEnabled);
    static QStringList withBackground(const QStringList &lines, const QString &picture);
    static QStringList withAppended(const QStringList &lines, const Entry &entry);
    static QStringList withReplaced(const QStringList &lines, int index, const Entry &entry);
    static QStringList withRemoved(const QStringList &lines, int index);
    // The entries a load shows for these lines (at most 20).
    static StorageContents contentsOf(const QStringList &lines, int records);

private:
    QStringList read(bool *ok, StorageResult *result, QByteArray *bytesRead = nullptr);
    bool judgeChange(const QByteArray &bytes, QStringList *lines, StorageResult *result, bool *putBack);
    bool write(const QStringList &lines, const QByteArray &bytes = QByteArray());
    QString backupPath() const;
    StorageResult rewrite(const std::function<QStringList(const QStringList &)> &change);

    Clock m_now;
    bool m_writable = true;
    int m_count = 0;          // entries the list shows
    QStringList m_lastGood;   // the last content loaded or written once the list was shown
    QByteArray m_knownBytes;  // the file's bytes as last loaded or written
    bool m_listShown = false; // start-up's own rewrites are not checked for lost entries
};

#endif // TAVREL_CORE_STORAGEFILE_H
