#ifndef TAVREL_STORAGEMIGRATION_H
#define TAVREL_STORAGEMIGRATION_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Whole-file steps on the storage file's lines: reading, the upgrades of older files, the
// state reset and the check for damage. Pure: lines in, lines out.
namespace StorageFile {

// Lines as a text stream's readLine delivers them ("\n" or "\r\n" removed, no trailing empty line).
QStringList splitLines(const QString &content);
QByteArray joinLines(const QStringList &lines); // every line followed by "\n", UTF-8

// Decodes UTF-8; *valid is false when the bytes are not valid UTF-8.
QString decodeUtf8(const QByteArray &bytes, bool *valid);

// Reads lines one by one; past the end every read yields an empty line.
class LineReader
{
public:
    explicit LineReader(const QStringList &lines) : m_lines(lines) {}
    QString next() { return m_lines.value(m_pos++); }
    bool atEnd() const { return m_pos >= m_lines.size(); }
    int position() const { return m_pos; }

private:
    QStringList m_lines;
    int m_pos = 0;
};

// How many records a whole-file step walks for a header count: the count itself when it is
// in range, but never more than the records actually present when the count is absurdly large
// (so a damaged count cannot blow the file up with empty lines).
int recordIterations(int count, int lineCount);

// A two-field header ("数量,n") gets ",背景图片,无"; anything else is returned unchanged.
QStringList upgradeHeader(const QStringList &lines, bool *changed);

struct Migration
{
    QStringList lines;
    int count = 0;   // the header's count as read
    int records = 0; // the records actually copied
};
// Copies header + records, inserting "命令文件,无" before the loop line of eight-line records.
// Lines after the last record are not copied.
Migration migrate(const QStringList &lines);

// Every record's ninth line becomes "状态,关闭"; lines after the last record are kept.
QStringList resetStates(const QStringList &lines);

// Every record's ninth line follows the given states (true = "开启") for the first
// states.size() records; all other lines are kept as read.
QStringList applyStates(const QStringList &lines, const QList<bool> &states);

// Why a file is damaged, in the words the damaged-file prompt shows, or an empty string for a
// well-formed file or one of the older forms.
QString damage(const QStringList &lines);

// The same check on the bytes as start-up reads them: bytes that are not UTF-8 are damaged too,
// since rewriting them would replace what could not be decoded.
QString damageOfBytes(const QByteArray &bytes);

} // namespace StorageFile

#endif // TAVREL_STORAGEMIGRATION_H
