// The help dialog: its size at each opening, its title, its text and where reading starts.
#include "app/mainwindow.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <memory>

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

// Presses "帮助", notes what the dialog shows, scrolls it to the end as a reader would, closes it.
Opening openHelp(MainWindow *w)
{
    Opening o;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("qd_BangZhu"))
            return;
        poll.stop();
        auto *area = dialog->findChild<QScrollArea *>(QStringLiteral("qsa_BangZhu"));
        auto *text = dialog->findChild<QTextBrowser *>(QStringLiteral("qtb_BangZhu"));
        o.seen = true;
        o.modal = dialog->isModal();
        o.title = dialog->windowTitle();
        o.dialog = dialog->size();
        o.dialogMin = dialog->minimumSize();
        o.dialogMax = dialog->maximumSize();
        o.area = area->size();
        o.text = text->size();
        o.plainText = text->toPlainText();
        o.textWhollyVisible = area->viewport()->rect().contains(text->geometry());
        o.scrollValue = text->verticalScrollBar()->value();
        o.scrollMaximum = text->verticalScrollBar()->maximum();
        o.textPolicy = text->verticalScrollBarPolicy();
        o.areaPolicy = area->verticalScrollBarPolicy();
        text->verticalScrollBar()->setValue(o.scrollMaximum);
        dialog->reject();
    });
    poll.start();
    w->findChild<QAction *>(QStringLiteral("qa_BangZhu"))->trigger();
    return o;
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void opensAtTheWindowSize_data();
    void opensAtTheWindowSize();
    void textReadsAsPlainParagraphs();
};

void TestHelp::opensAtTheWindowSize_data()
{
    // The window's size at the first opening, and at the second.
    QTest::addColumn<QSize>("first");
    QTest::addColumn<QSize>("second");
    QTest::newRow("unchanged") << QSize(800, 600) << QSize(800, 600);
    QTest::newRow("grown between openings") << QSize(800, 600) << QSize(1000, 700);
    QTest::newRow("large, then back to the minimum") << QSize(1500, 900) << QSize(800, 600);
}

void TestHelp::opensAtTheWindowSize()
{
    QFETCH(QSize, first);
    QFETCH(QSize, second);
    TestHome home;
    MainWindow w;
    w.show();
    for (const QSize &size : {first, second}) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        const Opening o = openHelp(&w);
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
    }
}

void TestHelp::textReadsAsPlainParagraphs()
{
    TestHome home;
    MainWindow w;
    w.show();
    const QString text = openHelp(&w).plainText;
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

TAVREL_TEST_MAIN(TestHelp)
#include "tst_help.moc"
