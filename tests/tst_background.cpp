// The background picture: choosing and clearing it, the header line it is stored in, its scaling
// behind the list, and its return at the next start.
#include "support/testsupport.h"
#include "support/windowdriver.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QColor kSky(30, 144, 255);

QByteArray record(int number)
{
    return QStringLiteral(
               "序号,%1\n类型,闹钟\n名称,早,起\n时间,07:%2\n每周重复,否\n声音文件,默认响铃\n命令文件,无\n"
               "重复闹铃,否\n状态,关闭\n")
        .arg(number)
        .arg(number % 60, 2, 10, QLatin1Char('0'))
        .toUtf8();
}

QByteArray records(int n)
{
    QByteArray out;
    for (int i = 1; i <= n; ++i)
        out += record(i);
    return out;
}

QByteArray storage(int n, const QString &background = QStringLiteral("无"))
{
    return "数量," + QByteArray::number(n) + ",背景图片," + background.toUtf8() + "\n" + records(n);
}

QString makePicture(const TestHome &home, const QString &name)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(kSky);
    const QString path = home.home() + QStringLiteral("/Pictures/") + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG"))
        qWarning("cannot save %s", qPrintable(path));
    return path;
}

std::unique_ptr<MainWindow> startWindow()
{
    auto window = std::make_unique<MainWindow>();
    WindowDriver(window.get()).show();
    return window;
}

QAction *backgroundAction(MainWindow *w)
{
    return WindowDriver(w).backgroundAction();
}

QScrollArea *listArea(MainWindow *w)
{
    return WindowDriver(w).listArea();
}

QSize brushSize(MainWindow *w)
{
    return listArea(w)->palette().brush(QPalette::Active, QPalette::Window).texture().size();
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(40, 20).toImage();
}

// The button's text, and whether its icon is the eraser (true) or the photo (false).
void checkButton(MainWindow *w, bool pictureShown)
{
    QAction *a = backgroundAction(w);
    QCOMPARE(a->text(), pictureShown ? QStringLiteral("清除背景") : QStringLiteral("设置背景"));
    const QImage eraser = iconImage(QIcon(QStringLiteral(":/res/橡皮擦.png")));
    const QImage photo = iconImage(QIcon(QStringLiteral(":/res/照片.png")));
    QVERIFY(eraser != photo);
    QCOMPARE(iconImage(a->icon()), pictureShown ? eraser : photo);
}

// Whether the list area, as painted, shows the picture's colour in the margin left of the rows.
bool showsPicture(MainWindow *w)
{
    const QImage shot = listArea(w)->viewport()->grab().toImage();
    return shot.pixelColor(3, shot.height() / 2) == kSky;
}

// Answers the file dialog from inside its event loop: picks `path`, or cancels when empty.
// `whileOpen` runs first, as if something else happened while the user was choosing. The
// dialog's directory model loads in a thread and may reset the typed name, so the answer is
// given again at each poll until the dialog has closed.
class FileDialogAnswer
{
public:
    explicit FileDialogAnswer(const QString &path, std::function<void()> whileOpen = {})
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, path, whileOpen] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (!seen) {
                seen = true;
                title = dialog->windowTitle();
                directory = dialog->directory().absolutePath();
                filters = dialog->nameFilters();
                fileMode = dialog->fileMode();
                viewMode = dialog->viewMode();
                if (whileOpen)
                    whileOpen();
            }
            if (path.isEmpty()) {
                dialog->reject();
            } else {
                // Typed in full, as a user may; selectFile() skips the name field while it has focus.
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                static_cast<QDialog *>(dialog)->accept(); // runs the file dialog's own checks
            }
        });
        timer.start();
    }

    QTimer timer;
    bool seen = false;
    QString title;
    QString directory;
    QStringList filters;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::ViewMode viewMode = QFileDialog::List;
};

} // namespace

class TestBackground : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void setClearAndRestart_data();
    void setClearAndRestart();
    void rewriteKeepsEveryLine_data();
    void rewriteKeepsEveryLine();
    void refusedChoices_data();
    void refusedChoices();
    void unreadableStorageChangesNothing_data();
    void unreadableStorageChangesNothing();
    void pictureFollowsTheCanvas_data();
    void pictureFollowsTheCanvas();
    void storedPictureAtStart_data();
    void storedPictureAtStart();
};

void TestBackground::setClearAndRestart_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << "sky.png";
    QTest::newRow("commas") << "a,b,,c.png";
    QTest::newRow("spaces and Chinese") << "我的 天空,1.png";
}

void TestBackground::setClearAndRestart()
{
    QFETCH(QString, fileName);
    TestHome home;
    QDir().mkpath(home.home() + QStringLiteral("/Desktop"));
    home.writeStorage(storage(2));
    const QString picture = makePicture(home, fileName);
    {
        auto w = startWindow();
        FileDialogAnswer answer(picture);
        backgroundAction(w.get())->trigger();
        QVERIFY(answer.seen);
        QCOMPARE(answer.title, QStringLiteral("选择图片文件"));
        QCOMPARE(answer.directory, home.home() + QStringLiteral("/Desktop"));
        QCOMPARE(answer.filters,
                 QStringList{QStringLiteral("File(*.bmp* *.gif* *.jpeg* *.png* *.tiff* *.jpg*)")});
        QCOMPARE(answer.fileMode, QFileDialog::ExistingFile);
        QCOMPARE(answer.viewMode, QFileDialog::Detail);
        QCOMPARE(home.storageBytes(), storage(2, picture));
        checkButton(w.get(), true);
        QVERIFY(showsPicture(w.get()));
        QVERIFY(TestSupport::shownPromptTexts().isEmpty());
    }
    {
        auto w = startWindow();
        checkButton(w.get(), true);
        QVERIFY(showsPicture(w.get()));
        backgroundAction(w.get())->trigger(); // clearing asks nothing
        QCOMPARE(home.storageBytes(), storage(2));
        checkButton(w.get(), false);
        QVERIFY(!showsPicture(w.get()));
    }
    auto w = startWindow();
    checkButton(w.get(), false);
    QVERIFY(!showsPicture(w.get()));
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
}

void TestBackground::rewriteKeepsEveryLine_data()
{
    // The file as it stands when the choice is stored, the header line expected then, and whether
    // it is damaged: then it is kept aside as it was and the choice is stored on the list's entries.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("damaged");
    QTest::newRow("four fields") << storage(2) << QByteArray("数量,2,背景图片,") << false;
    QTest::newRow("old path with commas")
        << storage(2, QStringLiteral("/x/a,b.png")) << QByteArray("数量,2,背景图片,") << false;
    QTest::newRow("records beyond the 20th") << storage(23) << QByteArray("数量,2,背景图片,") << true;
    QTest::newRow("lines after the records") << storage(2) + "杂项\n\n"
                                             << QByteArray("数量,2,背景图片,") << true;
    QTest::newRow("three fields") << "数量,2,背景图片\n" + records(2) << QByteArray("数量,2,背景图片,")
                                  << false;
    QTest::newRow("two fields") << "数量,2\n" + records(2) << QByteArray("数量,2,背景图片,") << false;
    QTest::newRow("one field") << "数量\n" + records(2) << QByteArray("数量,2,背景图片,") << true;
    // Emptied: the entries the list shows are put back first, and the choice is stored on them.
    QTest::newRow("empty file") << QByteArray() << QByteArray("数量,2,背景图片,") << true;
    QByteArray enabled = storage(2);
    enabled.replace(enabled.lastIndexOf("状态,关闭"), 13, "状态,开启");
    QTest::newRow("state changed while choosing") << enabled << QByteArray("数量,2,背景图片,") << false;
}

void TestBackground::rewriteKeepsEveryLine()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, header);
    QFETCH(bool, damaged);
    TestHome home;
    home.writeStorage(storage(2));
    const QString picture = makePicture(home, QStringLiteral("p.png"));
    auto w = startWindow();
    // The file changes while the dialog is open: what is stored must build on that, not on
    // what the file held when the button was pressed.
    FileDialogAnswer answer(picture, [&] { home.writeStorage(content); });
    backgroundAction(w.get())->trigger();
    QVERIFY(answer.seen);
    const QByteArray built = damaged ? storage(2) : content;
    const int cut = built.indexOf('\n');
    const QByteArray rest = cut < 0 ? QByteArray() : built.mid(cut + 1);
    QCOMPARE(home.storageBytes(), header + picture.toUtf8() + "\n" + rest);
    const QStringList backups =
        QDir(home.documents()).entryList({QStringLiteral("*.损坏备份-*")}, QDir::Files);
    QCOMPARE(backups.size(), damaged ? 1 : 0);
    if (damaged)
        QCOMPARE(TestSupport::readFile(home.documents() + QLatin1Char('/') + backups.first()), content);
    checkButton(w.get(), true);
}

void TestBackground::refusedChoices_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("realPicture");
    QTest::addColumn<QString>("prompt"); // appended to the path; empty: no prompt at all
    QTest::newRow("cancelled") << QString() << false << QString();
    QTest::newRow("not a picture") << "notes.png" << false << "   无法作为图片读取，未设置背景。";
    QTest::newRow("empty file") << "empty.jpg" << false << "   无法作为图片读取，未设置背景。";
    QTest::newRow("line break in the path")
        << "two\nlines.png" << true << "   文件路径含有换行符，无法保存为背景。";
}

void TestBackground::refusedChoices()
{
    QFETCH(QString, fileName);
    QFETCH(bool, realPicture);
    QFETCH(QString, prompt);
    TestHome home;
    home.writeStorage(storage(1));
    QString path;
    if (!fileName.isEmpty()) {
        path = realPicture
                   ? makePicture(home, fileName)
                   : home.makeFile(QStringLiteral("Pictures/") + fileName,
                                   fileName.startsWith(QLatin1String("empty")) ? QByteArray() : "hello");
    }
    auto w = startWindow();
    const QByteArray before = home.storageBytes();
    FileDialogAnswer answer(path);
    backgroundAction(w.get())->trigger();
    QVERIFY(answer.seen);
    QCOMPARE(home.storageBytes(), before);
    checkButton(w.get(), false);
    QVERIFY(!showsPicture(w.get()));
    QCOMPARE(TestSupport::shownPromptTexts(), prompt.isEmpty() ? QStringList() : QStringList{path + prompt});
}

void TestBackground::unreadableStorageChangesNothing_data()
{
    QTest::addColumn<bool>("pictureShown");
    QTest::newRow("setting") << false;
    QTest::newRow("clearing") << true;
}

void TestBackground::unreadableStorageChangesNothing()
{
    QFETCH(bool, pictureShown);
    TestHome home;
    const QString picture = makePicture(home, QStringLiteral("p.png"));
    home.writeStorage(storage(1, pictureShown ? picture : QStringLiteral("无")));
    auto w = startWindow();
    // The file becomes unreadable behind the program's back: a directory now stands in its place.
    QVERIFY(QFile::remove(home.storagePath()));
    QVERIFY(QDir().mkpath(home.storagePath()));
    FileDialogAnswer answer(picture);
    backgroundAction(w.get())->trigger();
    QCOMPARE(answer.seen, !pictureShown);
    QVERIFY(QFileInfo(home.storagePath()).isDir());
    checkButton(w.get(), pictureShown);
    QCOMPARE(showsPicture(w.get()), pictureShown);
    QCOMPARE(TestSupport::shownPromptTexts(),
             QStringList{QStringLiteral("无法读取存储文件，背景设置未保存。")});
}

void TestBackground::pictureFollowsTheCanvas_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<QSize>("resizeTo"); // invalid: keep 800 x 600
    QTest::addColumn<QString>("change"); // "save" a new entry, "delete" the last, or nothing
    QTest::addColumn<QSize>("brush");
    QTest::newRow("at the minimum size") << 2 << QSize() << QString() << QSize(800, 520);
    QTest::newRow("resized to 1000 x 700") << 2 << QSize(1000, 700) << QString() << QSize(1000, 620);
    QTest::newRow("twelve rows at start") << 12 << QSize() << QString() << QSize(800, 568);
    QTest::newRow("a save adds the twelfth row") << 11 << QSize() << "save" << QSize(800, 568);
    QTest::newRow("a save after a resize") << 11 << QSize(1000, 700) << "save" << QSize(1000, 620);
    QTest::newRow("a delete shrinks the list") << 12 << QSize() << "delete" << QSize(800, 520);
}

void TestBackground::pictureFollowsTheCanvas()
{
    QFETCH(int, entries);
    QFETCH(QSize, resizeTo);
    QFETCH(QString, change);
    QFETCH(QSize, brush);
    TestHome home;
    const QString picture = makePicture(home, QStringLiteral("p.png"));
    home.writeStorage(storage(entries, picture));
    auto w = startWindow();
    WindowDriver d(w.get());
    if (resizeTo.isValid()) {
        w->resize(resizeTo);
        QTRY_COMPARE(w->size(), resizeTo);
    }
    QVERIFY(d.waitForEditor());
    if (change == QLatin1String("save"))
        QVERIFY(d.saveNew(QStringLiteral("新的")));
    else if (change == QLatin1String("delete"))
        d.deleteRow(entries - 1);
    QStringList prompts = TestSupport::shownPromptTexts();
    prompts.removeAll(QStringLiteral("保存成功。"));
    prompts.removeAll(QStringLiteral("删除成功。"));
    QCOMPARE(prompts, QStringList());
    QCOMPARE(brushSize(w.get()), brush);
    QCOMPARE(d.canvas()->height(), brush.height());
    QVERIFY(showsPicture(w.get()));
}

void TestBackground::storedPictureAtStart_data()
{
    QTest::addColumn<QString>("fileName"); // the picture made; empty: none
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("prompt"); // empty: no prompt
    QTest::newRow("present") << "sky.png" << QByteArray("数量,1,背景图片,%1") << QString();
    QTest::newRow("present, commas in the path")
        << "a,b.png" << QByteArray("数量,1,背景图片,%1") << QString();
    QTest::newRow("missing") << QString() << QByteArray("数量,1,背景图片,/nowhere/a,b.png")
                             << "/nowhere/a,b.png   图片文件不存在。";
    // An empty background field is no picture: nothing to report, and the header stays as it is.
    QTest::newRow("three-field header") << QString() << QByteArray("数量,1,背景图片") << QString();
    QTest::newRow("a directory") << QString() << QByteArray("数量,1,背景图片,/tmp")
                                 << "/tmp   图片文件不存在。";
}

void TestBackground::storedPictureAtStart()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, header);
    QFETCH(QString, prompt);
    TestHome home;
    if (!fileName.isEmpty())
        header = QString::fromUtf8(header).arg(makePicture(home, fileName)).toUtf8();
    const QByteArray content = header + "\n" + records(1);
    home.writeStorage(content);
    auto w = startWindow();
    QCOMPARE(TestSupport::shownPromptTexts(), prompt.isEmpty() ? QStringList() : QStringList{prompt});
    QCOMPARE(home.storageBytes(), content); // a missing picture is reported, not forgotten
    const bool shown = !fileName.isEmpty(); // a picture that exists
    checkButton(w.get(), shown);
    QCOMPARE(brushSize(w.get()), shown ? QSize(800, 520) : QSize(0, 0));
    QCOMPARE(showsPicture(w.get()), shown);
}

TAVREL_TEST_MAIN(TestBackground)
#include "tst_background.moc"
