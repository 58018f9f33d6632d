// Prompts, the forced reminder and the help dialog: their sizes, places, texts and ways out.
#include "core/texts.h"
#include "support/testsupport.h"
#include "ui/helpdialog.h"
#include "ui/prompt.h"
#include "ui/reminderbox.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

// What the help dialog showed while it was open.
struct Opening
{
    bool seen = false;
    bool modal = false;
    QString title;
    QSize dialog, dialogMin, dialogMax, area, text;
    QString plainText;
    bool textWhollyVisible = false; // no edge of the text view (its scroll bar, its last line) cut off
    int scrollValue = -1;
    int scrollMaximum = -1;
    Qt::ScrollBarPolicy textPolicy = Qt::ScrollBarAsNeeded;
    Qt::ScrollBarPolicy areaPolicy = Qt::ScrollBarAsNeeded;
};

// Opens the help as the window does, notes what it shows, scrolls to the end as a reader would
// and leaves with Escape.
Opening openHelp(HelpDialog *help, const QSize &windowSize)
{
    Opening o;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != help)
            return;
        poll.stop();
        auto *area = help->findChild<QScrollArea *>();
        auto *text = help->findChild<QTextBrowser *>();
        o.seen = true;
        o.modal = help->isModal();
        o.title = help->windowTitle();
        o.dialog = help->size();
        o.dialogMin = help->minimumSize();
        o.dialogMax = help->maximumSize();
        o.area = area->size();
        o.text = text->size();
        o.plainText = text->toPlainText();
        o.textWhollyVisible = area->viewport()->rect().contains(text->geometry());
        o.scrollValue = text->verticalScrollBar()->value();
        o.scrollMaximum = text->verticalScrollBar()->maximum();
        o.textPolicy = text->verticalScrollBarPolicy();
        o.areaPolicy = area->verticalScrollBarPolicy();
        text->verticalScrollBar()->setValue(o.scrollMaximum);
        QTest::keyClick(help, Qt::Key_Escape);
    });
    poll.start();
    QTimer failsafe; // a dialog that ignores Escape must not hang the test
    failsafe.setSingleShot(true);
    QObject::connect(&failsafe, &QTimer::timeout, help, [help] { help->done(QDialog::Rejected); });
    failsafe.start(5000);
    help->showHelp(windowSize);
    o.seen = o.seen && failsafe.isActive();
    return o;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void centredPosition_data();
    void centredPosition();
    void promptIsCentredAndNonBlocking();
    void reminderSize_data();
    void reminderSize();
    void reminderFillsTheDesktop();
    void reminderClosesWithEscape();
    void helpOpensAtTheWindowSize_data();
    void helpOpensAtTheWindowSize();
    void helpTextReadsAsPlainParagraphs();
};

void TestDialogs::centredPosition_data()
{
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("editor on full HD") << QSize(1920, 1080) << QSize(400, 400) << QPoint(760, 340);
    QTest::newRow("odd remainder rounds down") << QSize(1025, 769) << QSize(400, 400) << QPoint(312, 184);
    QTest::newRow("larger than the desktop") << QSize(800, 600) << QSize(1000, 700) << QPoint(-100, -50);
}

void TestDialogs::centredPosition()
{
    QFETCH(QSize, desktop);
    QFETCH(QSize, widget);
    QTEST(Prompt::centredPosition(desktop, widget), "expected");
}

void TestDialogs::promptIsCentredAndNonBlocking()
{
    TestHome home;
    QWidget parent;
    QPointer<QMessageBox> box = Prompt::show(&parent, QStringLiteral("保存成功。"));
    QVERIFY(box->isVisible()); // shown and returned at once: the caller never waits for it
    QCOMPARE(box->parent(), &parent);
    QCOMPARE(box->text(), QStringLiteral("保存成功。"));
    QCOMPARE(box->pos(), Prompt::centredPosition(Prompt::desktopSize(), box->size()));
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(!box); // nothing refers to a closed prompt: it is freed
}

void TestDialogs::reminderSize_data()
{
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("full HD") << QSize(1920, 1080) << QSize(1720, 880);
    QTest::newRow("two screens side by side") << QSize(3840, 1080) << QSize(3640, 880);
    QTest::newRow("small") << QSize(1024, 768) << QSize(824, 568);
}

void TestDialogs::reminderSize()
{
    QFETCH(QSize, desktop);
    QTEST(ReminderBox::sizeOn(desktop), "expected");
}

void TestDialogs::reminderFillsTheDesktop()
{
    TestHome home;
    QWidget window;
    auto *box = ReminderBox::showFor(&window, QStringLiteral("泡茶"));
    const QSize size = ReminderBox::sizeOn(Prompt::desktopSize());
    QCOMPARE(box->text(), QStringLiteral("泡茶   到了。"));
    QCOMPARE(box->parent(), &window);
    QCOMPARE(box->size(), size);
    QCOMPARE(box->pos(), Prompt::centredPosition(Prompt::desktopSize(), size));
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QTest::qWait(200); // later layout passes of the base class must not shrink it back
    QCOMPARE(box->size(), size);
    QCOMPARE(box->pos(), Prompt::centredPosition(Prompt::desktopSize(), size));
    // A screen reader announcing the new window reads what rang.
    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), box->text());
}

void TestDialogs::reminderClosesWithEscape()
{
    TestHome home;
    QWidget window;
    QPointer<ReminderBox> first = ReminderBox::showFor(&window, QStringLiteral("a"));
    QPointer<ReminderBox> second = ReminderBox::showFor(&window, QStringLiteral("b"));
    QVERIFY(first && second && first->isVisible() && second->isVisible()); // one box per ring
    QTest::keyClick(second, Qt::Key_Escape);
    QTRY_VERIFY(!second); // freed: a nearly desktop-sized box must not linger until exit
    QVERIFY(first && first->isVisible());
}

void TestDialogs::helpOpensAtTheWindowSize_data()
{
    // The window's size at the first opening, and at the second.
    QTest::addColumn<QSize>("first");
    QTest::addColumn<QSize>("second");
    QTest::newRow("unchanged") << QSize(800, 600) << QSize(800, 600);
    QTest::newRow("grown between openings") << QSize(800, 600) << QSize(1000, 700);
    QTest::newRow("large, then back to the minimum") << QSize(1500, 900) << QSize(800, 600);
}

void TestDialogs::helpOpensAtTheWindowSize()
{
    QFETCH(QSize, first);
    QFETCH(QSize, second);
    TestHome home;
    QWidget window;
    window.resize(800, 600);
    HelpDialog help(&window);
    help.resizeToWindow(window.size());
    for (const QSize &size : {first, second}) {
        const Opening o = openHelp(&help, size);
        QVERIFY(o.seen);
        QVERIFY(o.modal);
        QCOMPARE(o.title, QStringLiteral("Tavrel"));
        QCOMPARE(o.dialog, size);
        QCOMPARE(o.dialogMin, size); // fixed: the reader cannot resize it
        QCOMPARE(o.dialogMax, size);
        QCOMPARE(o.area, size);
        QCOMPARE(o.text, size);
        QVERIFY(o.textWhollyVisible);
        QCOMPARE(o.textPolicy, Qt::ScrollBarAlwaysOn);
        QCOMPARE(o.areaPolicy, Qt::ScrollBarAlwaysOff);
        QVERIFY(o.scrollMaximum > 0); // the text is longer than the window, so the top matters
        QCOMPARE(o.scrollValue, 0);   // every opening starts at the top, wherever the last one ended
        QVERIFY(!help.isVisible());   // Escape closed it
        QCOMPARE(help.pos(), Prompt::centredPosition(Prompt::desktopSize(), size)); // for next time
    }
}

void TestDialogs::helpTextReadsAsPlainParagraphs()
{
    TestHome home;
    QWidget window;
    HelpDialog help(&window);
    const QString text = openHelp(&help, QSize(800, 600)).plainText;
    QCOMPARE(text, HelpDialog::helpText());
    const QStringList paragraphs = text.split(QStringLiteral("\n\n\n"));
    QVERIFY(paragraphs.size() > 12);
    for (const QString &p : paragraphs)
        QVERIFY2(!p.trimmed().isEmpty() && !p.startsWith(QLatin1Char('\n')) && !p.endsWith(QLatin1Char('\n')),
                 qPrintable(p)); // exactly two empty lines between paragraphs
    QVERIFY(paragraphs.first().contains(QStringLiteral("Tavrel")));
    QVERIFY(paragraphs.first().contains(QStringLiteral("V2.03")));
    QVERIFY(text.contains(QStringLiteral("<文档>"))); // shown as typed, not swallowed as markup
    for (int item = 1; item <= 10; ++item)
        QVERIFY2(text.contains(QStringLiteral("\n%1. ").arg(item)), qPrintable(QString::number(item)));
    QVERIFY(text.lastIndexOf(QStringLiteral("V1.01")) < text.lastIndexOf(QStringLiteral("V2.03")));
}

TAVREL_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
