#ifndef TAVREL_MUTATIONS_H
#define TAVREL_MUTATIONS_H

// Random damage to a storage file, as hand edits, crashes and bad tools leave it, and the replay
// key and run count every mutation test takes from the environment. Needs only QtCore.
#include "core/storagefile.h"
#include "support/storedrecords.h"

#include <QRandomGenerator>

namespace Mutations {

// TAVREL_MUTATION_REPLAY=<key> replays a run; otherwise a fresh key (printed by the test).
inline quint32 replayKey()
{
    // Parsed as unsigned: half of all keys are beyond an int.
    return qEnvironmentVariableIsSet("TAVREL_MUTATION_REPLAY") ? qgetenv("TAVREL_MUTATION_REPLAY").toUInt()
                                                               : QRandomGenerator::global()->generate();
}

// TAVREL_MUTATIONS=<n> for a longer run by hand.
inline int runs(int inTheSuite)
{
    const int asked = qEnvironmentVariableIntValue("TAVREL_MUTATIONS");
    return asked > 0 ? asked : inTheSuite;
}

// One random change; *how gains its description.
inline QByteArray mutate(QByteArray bytes, QRandomGenerator &random, QString *how)
{
    QList<QByteArray> ls = bytes.split('\n');
    const auto pick = [&] { return int(random.bounded(quint32(qMax(1, ls.size())))); };
    const auto at = [&] { return int(random.bounded(quint32(bytes.size() + 1))); };
    switch (random.bounded(9)) {
    case 0: {
        const int i = pick();
        *how += QStringLiteral("drop line %1; ").arg(i);
        ls.removeAt(i);
        break;
    }
    case 1: {
        const int i = pick();
        *how += QStringLiteral("double line %1; ").arg(i);
        ls.insert(i, ls.value(i));
        break;
    }
    case 2: {
        const int i = pick(), j = pick();
        *how += QStringLiteral("swap lines %1 and %2; ").arg(i).arg(j);
        if (i < ls.size() && j < ls.size())
            ls.swapItemsAt(i, j);
        break;
    }
    case 3: {
        const int cut = at();
        *how += QStringLiteral("cut at byte %1; ").arg(cut);
        return bytes.left(cut);
    }
    case 4: {
        if (bytes.isEmpty())
            return bytes;
        const int i = int(random.bounded(quint32(bytes.size())));
        const int bit = int(random.bounded(8));
        *how += QStringLiteral("flip bit %1 of byte %2; ").arg(bit).arg(i);
        bytes[i] = char(bytes.at(i) ^ (1 << bit));
        return bytes;
    }
    case 5: {
        const int i = at();
        *how += QStringLiteral("NUL at byte %1; ").arg(i);
        return bytes.insert(i, '\0');
    }
    case 6: {
        const int i = at();
        *how += QStringLiteral("invalid UTF-8 at byte %1; ").arg(i);
        return bytes.insert(i, random.bounded(2) ? "\xff" : "\xe6\x95");
    }
    case 7:
        *how += QStringLiteral("header retyped with full-width commas; ");
        ls[0].replace(",", "\xef\xbc\x8c"); // "，"
        break;
    default:
        *how += QStringLiteral("blank lines at the end; ");
        return bytes + QByteArray(int(random.bounded(3)) + 1, '\n');
    }
    return ls.join('\n');
}

// Well-formed files to start from: a varied list, old eight-line records, a full list, and a
// picture whose path holds a comma.
inline QList<QByteArray> bases()
{
    QList<Rec> varied;
    for (const char *name : {"早,起", "茶", "会议"}) {
        Rec r;
        r.name = QString::fromUtf8(name);
        varied << r;
    }
    varied[1].type = QStringLiteral("计时器");
    varied[1].time = QStringLiteral("00:03:00");
    varied[2].repeat = QStringLiteral("星期一|星期五");
    varied[2].command = QStringLiteral("/x/run.sh");
    varied[0].loop = QStringLiteral("是");
    return {file(varied), file(alarms(4, true), "数量,4\n"), file(alarms(20)),
            file(varied, "数量,3,背景图片,/p/a,b.png\n")};
}

// Every line of the input, in order, is in the output: start-up may only add command lines to
// eight-line records, turn states off and drop blank lines.
inline bool keptInOrder(const QByteArray &input, const QByteArray &output, QString *missing)
{
    const QStringList out = StorageFile::linesOf(output);
    const QStringList in = StorageFile::linesOf(input);
    if (in.isEmpty())
        return true;
    // An old two-field header gains its background field.
    if (out.value(0) != in.at(0) && out.value(0) != in.at(0) + QStringLiteral(",背景图片,无")) {
        *missing = in.at(0);
        return false;
    }
    int o = 1;
    for (const QString &line : in.mid(1)) {
        if (line.isEmpty())
            continue;
        const bool state = line.startsWith(QStringLiteral("状态,"));
        while (o < out.size() && out.at(o) != line && !(state && out.at(o) == QStringLiteral("状态,关闭")))
            ++o;
        if (o == out.size()) {
            *missing = line;
            return false;
        }
        ++o;
    }
    return true;
}

} // namespace Mutations

#endif // TAVREL_MUTATIONS_H
