// The ring trace that the desktop bench reads: silent unless its rules turn it on, and then one
// line per moment of a ring, stamped with the program's clock.
#include "support/windowrig.h"

#include <QLoggingCategory>
#include <QRegularExpression>

namespace {
QtMessageHandler previousHandler = nullptr;
QStringList traced;      // "kind entry=N [type=T]" of each line
QStringList wrongStamps; // lines whose ms differ from the clock at the moment they were written

void captureTrace(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "tavrel.ring") == 0) {
        static const QRegularExpression stamp(QStringLiteral(" ms=(-?\\d+)$"));
        const QRegularExpressionMatch m = stamp.match(message);
        if (!m.hasMatch() || m.captured(1).toLongLong() != SystemClock::now().wall.toMSecsSinceEpoch())
            wrongStamps << message;
        traced << message.left(m.capturedStart());
    }
    previousHandler(type, context, message);
}
} // namespace

class TestRingLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(captureTrace); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }
    void trace_data();
    void trace();
};

void TestRingLog::trace_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("off by default") << QString() << QStringList();
    QTest::newRow("turned on by its rule")
        << QStringLiteral("tavrel.ring.info=true")
        << QStringList{QStringLiteral("enabled entry=0"), QStringLiteral("enabled entry=1"),
                       QStringLiteral("zero entry=1"),    QStringLiteral("ring entry=1 type=timer"),
                       QStringLiteral("playing entry=1"), QStringLiteral("ring entry=0 type=alarm"),
                       QStringLiteral("playing entry=0")};
}

// An alarm at 07:30 and a two-second timer, enabled at 07:29:57 and stepped through 07:30.
void TestRingLog::trace()
{
    QFETCH(QString, rules);
    QFETCH(QStringList, expected);
    QLoggingCategory::setFilterRules(rules);
    traced.clear();
    wrongStamps.clear();
    TestHome home;
    Rig::Window win({Rig::alarm(QStringLiteral("起床"), QStringLiteral("07:30")),
                     Rig::timer(QStringLiteral("泡茶"), QStringLiteral("00:00:02"))},
                    home, Rig::when("Mon 07:29:57"));
    win.d->clickBox(0);
    win.d->clickBox(1);
    for (int k = 0; k < 10; ++k) {
        win.step();
        QTest::qWait(20); // the players report their state from the event loop
    }
    QTRY_VERIFY(win.playing(0) && win.playing(1));
    const QStringList buffered{QStringLiteral("buffered entry=0"), QStringLiteral("buffered entry=1")};
    if (!expected.isEmpty()) // when the sound is buffered depends on the sound system: no order
        QTRY_VERIFY(traced.contains(buffered.at(0)) && traced.contains(buffered.at(1)));
    QTest::qWait(200);
    QStringList seen;
    for (const QString &line : qAsConst(traced)) {
        if (!buffered.contains(line))
            seen << line;
    }
    QCOMPARE(seen, expected);
    QVERIFY2(wrongStamps.isEmpty(), qPrintable(wrongStamps.join(QLatin1Char('\n'))));
    win.stopAction()->trigger();
    QLoggingCategory::setFilterRules(QString());
}

TAVREL_TEST_MAIN(TestRingLog)
#include "tst_ringlog.moc"
