// What a row looks like, to the pixel: a row and its blinking time paint what a plain button and a
// plain label paint in every state a person can bring a row into, and a blink that repaints only
// the times leaves the window as a whole repaint would.
#include "support/windowrig.h"
#include "ui/timecells.h"
#include "ui/timeglyphs.h"
#include "ui/timelabel.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>

using namespace Rig;

namespace {

QImage pixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

// The label that shows a row's time: the one whose text is the row's time.
QLabel *timeLabelOf(EntryRow *row)
{
    for (QLabel *label : row->findChildren<QLabel *>()) {
        if (qobject_cast<TimeLabel *>(label))
            return label;
    }
    return nullptr;
}

// A plain checkable button with a plain label where the row has its time: what the row looked like
// before it drew its face and time from kept pictures.
struct PlainRow
{
    explicit PlainRow(EntryRow *row, QWidget *parent) : button(parent), label(&button)
    {
        QLabel *time = timeLabelOf(row);
        button.setCheckable(true);
        button.setFixedSize(row->size());
        button.move(row->pos());
        label.setTextFormat(Qt::PlainText);
        label.setAlignment(time->alignment());
        label.setGeometry(time->geometry());
        label.setText(row->timeText());
        button.show();
    }
    QPushButton button;
    QLabel label;
};

enum class State
{
    Plain,
    Checked,
    Hovered,
    Pressed,
    Focused,
    Disabled,
};

void bringInto(QPushButton *button, State state)
{
    switch (state) {
    case State::Plain:
        break;
    case State::Checked:
        button->setChecked(true);
        break;
    case State::Hovered:
        button->setAttribute(Qt::WA_UnderMouse, true);
        break;
    case State::Pressed:
        button->setDown(true);
        break;
    case State::Focused:
        button->setChecked(true);             // a row that takes the focus from the keyboard is selected
        button->setFocus(Qt::TabFocusReason); // the frame a keyboard user sees
        break;
    case State::Disabled:
        button->setEnabled(false);
        break;
    }
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

Q_DECLARE_METATYPE(State)

class TestRowLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void timeGlyphsDrawAsALayout_data();
    void timeGlyphsDrawAsALayout();
    void timeDrawsAsAPlainLabel_data();
    void timeDrawsAsAPlainLabel();
    void rowDrawsAsAPlainButton_data();
    void rowDrawsAsAPlainButton();
    void blinkLeavesTheWindowAsARepaint_data();
    void blinkLeavesTheWindowAsARepaint();
    void blinkRepaintsTheLineAlone_data();
    void blinkRepaintsTheLineAlone();
    void blinkIsOneRepaint_data();
    void blinkIsOneRepaint();
    void timesFollowTheRows_data();
    void timesFollowTheRows();
};

void TestRowLook::initTestCase()
{
    // The kept faces and laid-out times are used under Qt's own plain styles; elsewhere the widgets
    // paint as they always did and there is nothing to compare.
    QCOMPARE(QByteArray(qApp->style()->metaObject()->className()), QByteArray("QFusionStyle"));
}

void TestRowLook::timeGlyphsDrawAsALayout_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<qreal>("spacing"); // extra pixels after each character
    QTest::newRow("the label's font") << 0 << false << 0.0;
    QTest::newRow("small") << 7 << false << 0.0;
    QTest::newRow("large") << 16 << false << 0.0;
    QTest::newRow("bold") << 0 << true << 0.0;
    QTest::newRow("spaced") << 0 << false << 1.25;
}

// A time drawn from the table of its characters is the line a layout of it draws, placed anywhere
// (fractions of a pixel too), and as wide and high.
void TestRowLook::timeGlyphsDrawAsALayout()
{
    QFETCH(int, pointSize);
    QFETCH(bool, bold);
    QFETCH(qreal, spacing);
    QFont font = QLabel().font();
    if (pointSize > 0)
        font.setPointSize(pointSize);
    font.setBold(bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    const TimeGlyphs glyphs(font);
    QVERIFY(glyphs.canDraw(QStringLiteral("0123456789:")));
    QVERIFY(!glyphs.canDraw(QString()));
    QVERIFY(!glyphs.canDraw(QStringLiteral("7.30")));
    QVERIFY(!glyphs.canDraw(QStringLiteral("七点")));
    const QStringList times{"00:00:00", "01:29:59", "11:11:11", "99:59:59", "07:30", "23:41", "10:01:10"};
    for (const QString &time : times) {
        QTextLayout layout(time, font);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1000);
        layout.endLayout();
        QCOMPARE(glyphs.width(time), line.naturalTextWidth());
        QCOMPARE(glyphs.height(), line.height());
        for (const QPointF origin : {QPointF(3, 2), QPointF(3.5, 2), QPointF(7.3, 1)}) {
            QImage fromLayout(200, 60, QImage::Format_RGB32);
            fromLayout.fill(Qt::white);
            const QImage blank = fromLayout;
            QImage fromTable = fromLayout;
            {
                QPainter painter(&fromLayout);
                line.draw(&painter, origin);
            }
            {
                QPainter painter(&fromTable);
                glyphs.draw(&painter, origin, time);
            }
            QVERIFY2(fromLayout != blank, "something is drawn");
            QCOMPARE(fromTable, fromLayout);
        }
    }
}

void TestRowLook::timeDrawsAsAPlainLabel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("pointSize");
    const int centred = Qt::AlignHCenter;
    QTest::newRow("alarm") << "07:30" << centred << 0;
    QTest::newRow("timer") << "01:29:59" << centred << 0;
    QTest::newRow("longest timer") << "99:59:59" << centred << 0;
    QTest::newRow("ones") << "11:11:11" << centred << 0;
    QTest::newRow("wider than the label") << "100:00:00 and more" << centred << 0;
    QTest::newRow("large font") << "23:59:58" << centred << 16;
    QTest::newRow("small font") << "00:00:01" << centred << 7;
    QTest::newRow("left") << "08:00" << int(Qt::AlignLeft) << 0;
    QTest::newRow("right, middle") << "08:00" << int(Qt::AlignRight | Qt::AlignVCenter) << 0;
    QTest::newRow("bottom") << "08:00" << int(Qt::AlignHCenter | Qt::AlignBottom) << 0;
    QTest::newRow("chinese") << "七点半" << centred << 0;
    QTest::newRow("line break") << "07:30\n08:00" << centred << 0;
    QTest::newRow("ampersand") << "A&B" << centred << 0;
    QTest::newRow("right to left") << "שעה" << centred << 0;
    QTest::newRow("empty") << "" << centred << 0;
}

void TestRowLook::timeDrawsAsAPlainLabel()
{
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(int, pointSize);
    QWidget parent;
    parent.resize(200, 40);
    TimeLabel time(&parent);
    QLabel plain(&parent);
    for (QLabel *label : {static_cast<QLabel *>(&time), &plain}) {
        if (pointSize > 0) {
            QFont font = label->font();
            font.setPointSize(pointSize);
            label->setFont(font);
        }
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::Alignment(alignment));
        label->setFixedSize(60, 30);
        label->setText(text);
    }
    plain.move(100, 0);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCOMPARE(pixels(time.grab()), pixels(plain.grab()));
    // Drawn again from what was laid out the first time.
    QCOMPARE(pixels(time.grab()), pixels(plain.grab()));
    // Blank: as an empty label.
    time.setBlank(true);
    plain.setText(QString());
    QCOMPARE(pixels(time.grab()), pixels(plain.grab()));
}

void TestRowLook::rowDrawsAsAPlainButton_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("blank");
    for (int width : {780, 380}) {
        const QByteArray w = QByteArray::number(width);
        QTest::newRow("plain " + w) << State::Plain << width << false;
        QTest::newRow("plain, blank " + w) << State::Plain << width << true;
        QTest::newRow("selected " + w) << State::Checked << width << false;
        QTest::newRow("selected, blank " + w) << State::Checked << width << true;
        QTest::newRow("under the mouse " + w) << State::Hovered << width << false;
        QTest::newRow("pressed " + w) << State::Pressed << width << false;
        QTest::newRow("keyboard focus " + w) << State::Focused << width << false;
        QTest::newRow("keyboard focus, blank " + w) << State::Focused << width << true;
        QTest::newRow("disabled " + w) << State::Disabled << width << false;
    }
}

void TestRowLook::rowDrawsAsAPlainButton()
{
    QFETCH(State, state);
    QFETCH(int, width);
    QFETCH(bool, blank);
    QWidget window;
    window.resize(width + 40, 160);
    QLineEdit elsewhere(&window); // holds the focus unless a row takes it
    elsewhere.move(10, 110);
    EntryRow row(&window);
    row.showEntry(timer(QStringLiteral("茶"), QStringLiteral("00:05:00")), width + 20);
    row.move(10, 10);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    PlainRow plain(&row, &window); // where the row's layout put its time
    plain.button.move(10, 60);
    elsewhere.setFocus();
    if (blank) {
        row.setTimeBlank(true);
        plain.label.setText(QString());
    }
    const QRect time = timeLabelOf(&row)->geometry();
    QVERIFY(time.width() > 0);
    // The face alone, then the face with the time over it; twice, the second from the kept face.
    const auto face = [](QWidget *w) {
        QPixmap p(w->size());
        w->render(&p, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return pixels(p);
    };
    const auto look = [&](QPushButton *button) {
        bringInto(button, state);
        return QVector<QImage>{face(button), pixels(button->grab(time)), pixels(button->grab(time))};
    };
    const QVector<QImage> drawn = look(&row);
    QCOMPARE(row.hasFocus(), state == State::Focused);
    const QVector<QImage> expected = look(&plain.button);
    QCOMPARE(plain.button.hasFocus(), state == State::Focused);
    QCOMPARE(drawn.at(0), expected.at(0));
    QCOMPARE(drawn.at(1), expected.at(1));
    QCOMPARE(drawn.at(2), expected.at(2));
}

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

void TestRowLook::blinkRepaintsTheLineAlone_data()
{
    QTest::addColumn<QString>("change"); // what happens to a shown time
    QTest::addColumn<QString>("text");   // the text it shows after
    QTest::addColumn<bool>("whole");     // all of the label repaints, not the line alone
    QTest::newRow("goes blank") << "blank"
                                << "" << false;
    QTest::newRow("shown again") << "blank, show"
                                 << "00:05:00" << false;
    QTest::newRow("counts a second down") << "blank, count"
                                          << "00:04:59" << false;
    QTest::newRow("a new time while shown") << "count"
                                            << "00:04:59" << false;
    QTest::newRow("a text of two lines") << "two lines"
                                         << "00:04\n59" << true;
}

// A blink or a new time repaints the text's line, about half the label (and what the display takes
// at one go); a text of more lines than one repaints, and shows, all of the label.
void TestRowLook::blinkRepaintsTheLineAlone()
{
    QFETCH(QString, change);
    QFETCH(QString, text);
    QFETCH(bool, whole);
    QWidget window;
    window.resize(820, 60);
    EntryRow row(&window);
    row.showEntry(timer(QStringLiteral("茶"), QStringLiteral("00:05:00")), 800);
    row.move(10, 10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QLabel *time = timeLabelOf(&row);
    QCoreApplication::processEvents();
    PaintRecorder recorder(time);
    if (change.startsWith("blank"))
        row.setTimeBlank(true);
    if (change.endsWith("show"))
        row.setTimeText(QStringLiteral("00:05:00"));
    if (change.endsWith("count"))
        row.setTimeText(QStringLiteral("00:04:59"));
    if (change == "two lines")
        row.setTimeText(text);
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(row.timeText(), text);
    const QRect painted = recorder.painted.boundingRect();
    QVERIFY(!painted.isEmpty());
    const int line = qCeil(QFontMetricsF(time->font()).height());
    QVERIFY2(line < time->height(), "the label is taller than its line");
    QCOMPARE(painted.height(), whole ? time->height() : line);
    QCOMPARE(painted.width(), time->width());
    // On screen: what a whole repaint draws, whatever part was repainted.
    const QImage changed = screenOf(&window);
    window.repaint();
    QCOMPARE(changed, screenOf(&window));
}

void TestRowLook::blinkIsOneRepaint_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("all in view") << 6;
    QTest::newRow("more than fit") << 16;
}

// Every running row's time blinks in one paint event of the widget over the rows, whatever the
// number of rows; the labels under it paint nothing.
void TestRowLook::blinkIsOneRepaint()
{
    QFETCH(int, rows);
    TestHome home;
    Rig::Window r(someOfEach(rows), home, when("Mon 00:00:00"));
    for (int i = 0; i < rows; ++i)
        r.d->clickBox(i);
    screenOf(r.w.get());
    auto *cells = r.w->findChild<TimeCells *>();
    QVERIFY(cells);
    PaintRecorder cellPaints(cells);
    QVector<std::shared_ptr<PaintRecorder>> labelPaints;
    for (EntryRow *row : r.d->rows())
        labelPaints << std::make_shared<PaintRecorder>(timeLabelOf(row));
    for (int half = 0; half < 4; ++half) {
        const int before = cellPaints.events;
        r.step(500);
        screenOf(r.w.get());
        QCOMPARE(cellPaints.events, before + 1);
    }
    const QRect inView(-r.d->canvas()->pos(), r.d->listArea()->viewport()->size());
    for (int i = 0; i < rows; ++i) {
        QLabel *time = timeLabelOf(r.d->row(i));
        const QRect cell(time->mapTo(r.d->canvas(), QPoint()), QSize(time->width(), 1));
        QCOMPARE(cellPaints.painted.intersects(cell), cell.intersects(inView));
        QVERIFY(labelPaints.at(i)->painted.isEmpty());
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

// Whatever moves the rows' times or leaves one to paint itself, the window shows, at each blink,
// what a whole repaint draws: no time left where a row was, none missing where one is.
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
