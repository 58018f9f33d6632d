// What the rows look like as they blink: a blink, which repaints only the times in view, leaves
// the window as a whole repaint would, whatever moved the rows in between.
#include "support/windowrig.h"
#include "ui/timelabel.h"

#include <QScreen>
#include <QScrollBar>

using namespace Rig;

namespace {

// The label that shows a row's time: the one whose text is the row's time.
QLabel *timeLabelOf(EntryRow *row)
{
    for (QLabel *label : row->findChildren<QLabel *>()) {
        if (qobject_cast<TimeLabel *>(label))
            return label;
    }
    return nullptr;
}

// The areas a widget was asked to repaint.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *watched) { watched->installEventFilter(this); }
    QRegion painted;
    int events = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++events;
        }
        return false;
    }
};

QVector<Entry> someOfEach(int rows)
{
    QVector<Entry> entries;
    for (int i = 0; i < rows; ++i) {
        entries << (i % 2 ? timer(QStringLiteral("计时%1").arg(i),
                                  QStringLiteral("00:%1:30").arg(i, 2, 10, QChar('0')))
                          : alarm(QStringLiteral("闹钟%1").arg(i),
                                  QStringLiteral("%1:15").arg(i, 2, 10, QChar('0'))));
    }
    return entries;
}

QImage screenOf(QWidget *window)
{
    QCoreApplication::processEvents();
    return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestRowLook : public QObject
{
    Q_OBJECT

private slots:
    void blinkLeavesTheWindowAsARepaint_data();
    void blinkLeavesTheWindowAsARepaint();
    void blinkPaintsTheTimesInView_data();
    void blinkPaintsTheTimesInView();
    void timesFollowTheRows_data();
    void timesFollowTheRows();
};

void TestRowLook::blinkLeavesTheWindowAsARepaint_data()
{
    QTest::addColumn<QString>("selected"); // "none", "row", "focus"
    QTest::addColumn<int>("rows");
    QTest::newRow("nothing selected") << "none" << 6;
    QTest::newRow("a row selected") << "row" << 6;
    QTest::newRow("a row with keyboard focus") << "focus" << 6;
    QTest::newRow("more rows than fit, scrolled") << "row" << 16;
}

// On screen: after each blink (only the times repainted) the window holds what a whole repaint
// draws, through selection and focus changes in between.
void TestRowLook::blinkLeavesTheWindowAsARepaint()
{
    QFETCH(QString, selected);
    QFETCH(int, rows);
    TestHome home;
    Rig::Window r(someOfEach(rows), home, when("Mon 00:00:00"));
    r.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
    for (int i = 0; i < rows; ++i)
        r.d->clickBox(i);
    if (selected == "row")
        r.d->clickRow(2);
    else if (selected == "focus")
        r.d->row(3)->setFocus(Qt::TabFocusReason);
    QImage previous;
    for (int half = 0; half < 6; ++half) {
        r.step(500);
        const QImage blinked = screenOf(r.w.get());
        QVERIFY2(blinked != previous, "the times blink"); // shown, then blank, then shown…
        previous = blinked;
        r.w->repaint();
        QCOMPARE(blinked, screenOf(r.w.get()));
        if (half == 2)
            r.d->clickRow(4); // the selection moves between blinks
        if (half == 3)        // rows that blinked out of view come into it
            r.d->listArea()->verticalScrollBar()->setValue(r.d->listArea()->verticalScrollBar()->maximum());
    }
}

void TestRowLook::blinkPaintsTheTimesInView_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("all in view") << 6;
    QTest::newRow("more than fit") << 16;
}

// A blink paints the times of the running rows in view, and nothing of the rows out of view.
void TestRowLook::blinkPaintsTheTimesInView()
{
    QFETCH(int, rows);
    TestHome home;
    Rig::Window r(someOfEach(rows), home, when("Mon 00:00:00"));
    for (int i = 0; i < rows; i += 2)
        r.d->clickBox(i); // every other row runs
    screenOf(r.w.get());
    QVector<std::shared_ptr<PaintRecorder>> timePaints;
    for (EntryRow *row : r.d->rows())
        timePaints << std::make_shared<PaintRecorder>(timeLabelOf(row));
    for (int half = 0; half < 4; ++half) {
        r.step(500);
        screenOf(r.w.get());
    }
    const QRect inView(-r.d->canvas()->pos(), r.d->listArea()->viewport()->size());
    for (int i = 0; i < rows; ++i) {
        const bool running = i % 2 == 0;
        QCOMPARE(timePaints.at(i)->events > 0, running && r.d->row(i)->geometry().intersects(inView));
        // The text's line alone: the rest of the label is the row's face, which does not change.
        const QRect line = timeLabelOf(r.d->row(i))->contentsRect();
        QVERIFY(line.height() < timeLabelOf(r.d->row(i))->height());
        QVERIFY(timePaints.at(i)->painted.isEmpty() ||
                line.contains(timePaints.at(i)->painted.boundingRect()));
    }
}

void TestRowLook::timesFollowTheRows_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("the window grows") << "wider";
    QTest::newRow("the window shrinks") << "narrower";
    QTest::newRow("the window grows taller") << "taller";
    QTest::newRow("a larger font on a time") << "font";
    QTest::newRow("a row deleted") << "delete";
    QTest::newRow("a row added") << "add";
    QTest::newRow("a time drawn by its style sheet") << "style sheet";
}

// Whatever moves the rows' times or changes their look (a larger font, a style sheet), the window
// shows, at each blink, what a whole repaint draws: no time left where a row was, none missing or
// cut where one is.
void TestRowLook::timesFollowTheRows()
{
    QFETCH(QString, change);
    TestHome home;
    Rig::Window r(someOfEach(4), home, when("Mon 00:00:00"));
    r.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
    for (int i = 0; i < 4; ++i)
        r.d->clickBox(i);
    r.step(500);
    if (change == "wider")
        r.w->resize(r.w->width() + 200, r.w->height());
    else if (change == "narrower")
        r.w->resize(r.w->width() - 150, r.w->height());
    else if (change == "taller")
        r.w->resize(r.w->width(), r.w->height() + 300);
    else if (change == "font") {
        QFont font = timeLabelOf(r.d->row(1))->font();
        font.setPointSize(font.pointSize() + 5);
        timeLabelOf(r.d->row(1))->setFont(font);
        // Its line grows with it: none of the time is cut off.
        QVERIFY(timeLabelOf(r.d->row(1))->contentsRect().height() >= QFontMetrics(font).height());
    } else if (change == "delete")
        QVERIFY(!r.d->deleteRow(1).isEmpty());
    else if (change == "add")
        QVERIFY(r.d->waitForEditor() && r.d->saveNew(QStringLiteral("新的")));
    else if (change == "style sheet")
        timeLabelOf(r.d->row(2))->setStyleSheet(QStringLiteral("color: #0000ff"));
    QTRY_COMPARE(r.d->rowCount(), change == "delete" ? 3 : change == "add" ? 5 : 4);
    QImage previous;
    for (int half = 0; half < 4; ++half) {
        r.step(500);
        const QImage blinked = screenOf(r.w.get());
        QVERIFY2(blinked != previous, "the times blink");
        previous = blinked;
        r.w->repaint();
        QCOMPARE(blinked, screenOf(r.w.get()));
    }
}

TAVREL_TEST_MAIN(TestRowLook)
#include "tst_rowlook.moc"
