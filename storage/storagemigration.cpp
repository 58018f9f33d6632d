#include "storage/storagemigration.h"

#include "storage/storagefile.h"

#include <QTextCodec>

#include <functional>

namespace StorageFile {

QStringList splitLines(const QString &content)
{
    QStringList lines = content.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the terminator of the last line, or an empty file
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QByteArray joinLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toUtf8();
        out += '\n';
    }
    return out;
}

QString decodeUtf8(const QByteArray &bytes, bool *valid)
{
    QTextCodec *codec = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    if (valid)
        *valid = state.invalidChars == 0 && state.remainingChars == 0;
    return text;
}

int recordIterations(int count, int lineCount)
{
    if (count <= 0)
        return 0;
    if (count <= kMaxEntries)
        return count;
    const int present = (qMax(0, lineCount - 1) + kRecordLines - 1) / kRecordLines;
    return qMin(count, present);
}

QStringList upgradeHeader(const QStringList &lines, bool *changed)
{
    QStringList out = lines;
    const QStringList f = splitFields(lines.value(0));
    *changed = !lines.isEmpty() && f.size() == 2;
    if (*changed)
        out[0] = f.at(0) + QLatin1Char(',') + f.at(1) + QLatin1Char(',') + kBackgroundKey + QLatin1Char(',') +
                 kNone;
    return out;
}

Migration migrate(const QStringList &lines)
{
    LineReader in(lines);
    Migration m;
    const QString header = in.next();
    m.lines << header;
    m.count = parseHeader(header).count;
    m.records = recordIterations(m.count, lines.size());
    for (int r = 0; r < m.records; ++r) {
        for (int k = 1; k <= 6; ++k)
            m.lines << in.next();
        const QString seventh = in.next();
        if (splitFields(seventh).at(0) == kLoopKey) {
            m.lines << kCommandKey + QStringLiteral(",") + kNone << seventh; // eight-line record
        } else {
            // A command line, or an unknown key: still nine lines, so later records stay in place.
            m.lines << seventh << in.next();
        }
        m.lines << in.next(); // the state line
    }
    return m;
}

static QStringList rewriteStateLines(const QStringList &lines, int records,
                                     const std::function<QString(int)> &stateLine)
{
    LineReader in(lines);
    QStringList out;
    out << in.next();
    for (int r = 0; r < records; ++r) {
        for (int k = 1; k < kRecordLines; ++k)
            out << in.next();
        in.next(); // the old state line is replaced
        out << stateLine(r);
    }
    while (!in.atEnd())
        out << in.next();
    return out;
}

QStringList resetStates(const QStringList &lines)
{
    const Header h = parseHeader(lines.value(0));
    const int records = h.fieldCount > 1 ? recordIterations(h.count, lines.size()) : 0;
    return rewriteStateLines(lines, records, [](int) { return kStateOffLine; });
}

QStringList applyStates(const QStringList &lines, const QList<bool> &states)
{
    const Header h = parseHeader(lines.value(0));
    const int records = qMin(states.size(), recordIterations(h.count, lines.size()));
    return rewriteStateLines(lines, records,
                             [&states](int r) { return states.at(r) ? kStateOnLine : kStateOffLine; });
}

QString damage(const QStringList &lines)
{
    const Header h = parseHeader(lines.value(0));
    if (h.fieldCount < 2 || splitFields(lines.value(0)).at(0) != kCountKey)
        return QStringLiteral("首行无法识别");
    if (!h.countReadable)
        return QStringLiteral("条目数量无法识别");
    if (h.count < 0 || h.count > kMaxEntries)
        return QStringLiteral("条目数量不在0到20之间");
    int pos = 1;
    for (int r = 0; r < h.count; ++r) {
        const QString key7 = splitFields(lines.value(pos + 6)).at(0);
        if (key7 != kLoopKey && key7 != kCommandKey)
            return QStringLiteral("第%1个条目格式不对").arg(r + 1);
        pos += key7 == kLoopKey ? 8 : 9;
        if (pos > lines.size())
            return QStringLiteral("文件比条目数量所说的短");
    }
    if (pos < lines.size())
        return QStringLiteral("最后一个条目之后还有多余的行");
    return QString();
}

QString damageOfBytes(const QByteArray &bytes)
{
    bool validUtf8 = true;
    const QStringList lines = splitLines(decodeUtf8(bytes, &validUtf8));
    return validUtf8 ? damage(lines) : QStringLiteral("不是有效的UTF-8文本");
}

} // namespace StorageFile
