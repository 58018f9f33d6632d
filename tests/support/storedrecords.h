#ifndef TAVREL_STOREDRECORDS_H
#define TAVREL_STOREDRECORDS_H

// Storage files written by hand, field by field as the file spells them, for tests that start
// from a file. Needs only QtCore.
#include <QByteArray>
#include <QList>
#include <QString>

struct Rec
{
    QString type = QStringLiteral("闹钟");
    QString name = QStringLiteral("起床");
    QString time = QStringLiteral("07:30");
    QString repeat = QStringLiteral("否");
    QString sound = QStringLiteral("默认响铃");
    QString command = QStringLiteral("无");
    QString loop = QStringLiteral("否");
    QString state = QStringLiteral("开启");
    bool eightLines = false; // the old form, without 命令文件
};

inline QByteArray record(int number, const Rec &r)
{
    QString s = QStringLiteral("序号,%1\n类型,%2\n名称,%3\n时间,%4\n每周重复,%5\n声音文件,%6\n")
                    .arg(number)
                    .arg(r.type, r.name, r.time, r.repeat, r.sound);
    if (!r.eightLines)
        s += QStringLiteral("命令文件,") + r.command + QLatin1Char('\n');
    s += QStringLiteral("重复闹铃,") + r.loop + QStringLiteral("\n状态,") + r.state + QLatin1Char('\n');
    return s.toUtf8();
}

// The header counts the records and names no picture, unless one is given.
inline QByteArray file(const QList<Rec> &recs, const QByteArray &header = QByteArray())
{
    QByteArray out = header.isEmpty() ? "数量," + QByteArray::number(recs.size()) + ",背景图片,无\n" : header;
    for (int i = 0; i < recs.size(); ++i)
        out += record(i + 1, recs.at(i));
    return out;
}

// As start-up leaves them: every record disabled, in the current form.
inline QList<Rec> allOff(QList<Rec> recs)
{
    for (Rec &r : recs) {
        r.state = QStringLiteral("关闭");
        r.eightLines = false;
    }
    return recs;
}

// Alarms named 闹钟0, 闹钟1, … at 00:15, 01:15, …
inline QList<Rec> alarms(int n, bool eightLines = false)
{
    QList<Rec> recs;
    for (int i = 0; i < n; ++i) {
        Rec r;
        r.name = QStringLiteral("闹钟%1").arg(i);
        r.time = QStringLiteral("%1:15").arg(i % 24, 2, 10, QLatin1Char('0'));
        r.eightLines = eightLines;
        recs << r;
    }
    return recs;
}

#endif // TAVREL_STOREDRECORDS_H
