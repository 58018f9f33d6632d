#ifndef TAVREL_ENTRYRECORD_H
#define TAVREL_ENTRYRECORD_H

#include "storage/storagefile.h"

#include <QString>
#include <QStringList>

// What the editor and the list commands do to the storage file's lines and to the texts they show.
// Pure: strings in, strings out, so every rule is tested without a dialog or a file.
namespace EntryRecord {

// "7:5" -> "07:05", "1:30:0" -> "01:30:00"; any other shape is returned unchanged.
QString normaliseTime(const QString &time);

// Line breaks (a pasted paragraph) become spaces: a stored value must stay on its one line.
QString singleLine(const QString &text);
bool hasLineBreak(const QString &text);

// The text after the last "/" (the whole path when it has none).
QString fileName(const QString &path);

// The four columns of the repeat summary: "重复：" + day 1, then the rest two by two,
// the pairs joined by twelve spaces. No days gives "重复：一次" and three empty columns.
QStringList repeatSummary(const QStringList &days);

// The repeat line's value for the checked days in Monday-first order ("否" for none).
QString repeatValue(const QStringList &checkedDays);

// Records the header announces, as the loaders walk them (never more than the file can hold).
int storedRecords(const QStringList &lines);

// True when the file already holds the most entries the list can show.
bool isFull(const QStringList &lines);

// The nine lines of record `position` (1-based), short files padded with empty lines.
QStringList recordLines(const QStringList &lines, int position);

// Value of record line k (1..9) of record `position`.
QString recordField(const QStringList &lines, int position, int k);

// New entry: the header count goes up by one and the record, numbered count + 1, follows the
// existing records. Lines after the last announced record are dropped, so the new record is
// always where the loaders will look for it.
QStringList appendRecord(const QStringList &lines, StorageFile::Entry entry);

// Edit: record `position` (1-based) is replaced; the header and every other record are kept.
QStringList replaceRecord(const QStringList &lines, int position, const StorageFile::Entry &entry);

// Delete: record `position` (1-based) goes, the header count drops by one and every later
// record is renumbered to its new position.
QStringList removeRecord(const QStringList &lines, int position);

// The question the delete command asks before anything is changed.
QString deleteQuestion(const QString &type, const QString &name, const QString &time);

} // namespace EntryRecord

#endif // TAVREL_ENTRYRECORD_H
