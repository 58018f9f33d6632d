#ifndef TAVREL_TST_EDITOR_SUPPORT_H
#define TAVREL_TST_EDITOR_SUPPORT_H

// What the editor and list-command tests share: a running main window with its editor, a driver
// that works the editor's widgets, answers to the modal dialogs, and short sound files.
#include "app/mainwindow.h"
#include "editor/xingjianchuangkou.h"
#include "support/mainwindowprobe.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDataStream>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace EditorTest {

const QString kSoundCaption = QStringLiteral("默认响铃(点击此按钮更换音乐/右击为默认响铃)");
const QString kCommandCaption = QStringLiteral("无（点击选择命令文件/右击为“无”）");

template <typename T = QWidget> T *child(QObject *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

// Runs `answer` on the widget `find` returns once a modal loop shows it; polled for at most
// 5 s, so a dialog that never comes cannot hang the test.
inline void whenShown(const std::function<QWidget *()> &find, const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, find, answer] {
        QWidget *w = find();
        const bool shown = w && w->isVisible();
        if (shown || ++*tries > 250) {
            poll->deleteLater();
            poll->stop();
            if (shown)
                answer(w);
        }
    });
    poll->start(20);
}

struct FileDialogSeen
{
    QString title;
    QString directory;
    QStringList filters;
};

// Accepts the next file dialog of `parent` with `path`, or cancels it when path is empty.
inline void answerFileDialog(QWidget *parent, const QString &path, FileDialogSeen *seen = nullptr)
{
    whenShown(
        [parent] { return parent->findChild<QFileDialog *>(); },
        [path, seen](QWidget *w) {
            auto *dialog = static_cast<QFileDialog *>(w);
            if (seen)
                *seen = {dialog->windowTitle(), dialog->directory().absolutePath(), dialog->nameFilters()};
            // selectFile() leaves a focused name field alone, so type the path as a user would.
            if (!path.isEmpty())
                child<QLineEdit>(dialog, QStringLiteral("fileNameEdit"))->setText(path);
            path.isEmpty() ? dialog->QDialog::reject() : dialog->QDialog::accept();
        });
}

// Presses the button captioned `caption` in the next application-modal message box.
inline void answerMessageBox(const QString &caption, QString *text = nullptr)
{
    whenShown([] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); },
              [caption, text](QWidget *w) {
                  auto *box = static_cast<QMessageBox *>(w);
                  if (text)
                      *text = box->text();
                  for (QAbstractButton *b : box->buttons()) {
                      if (b->text() == caption)
                          b->click();
                  }
              });
}

// A silent 8 kHz mono PCM wave file of the given length.
inline void writeWav(const QString &path, int milliseconds)
{
    const quint32 samples = 8 * milliseconds;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + 2 * samples);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(2 * samples);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(0);
}

// A main window (after its deferred start-up step, so the editor exists) over the given storage
// file, in its own HOME. "@x" in the file or in a step stands for the file x under that HOME,
// made on first mention.
struct Session
{
    TestHome home;
    std::unique_ptr<MainWindow> window;
    MainWindowProbe probe{nullptr};
    XingJianChuangKou *d = nullptr;

    explicit Session(const QString &stored = QStringLiteral("数量,0,背景图片,无\n"))
    {
        home.writeStorage(resolve(stored).toUtf8());
        window = std::make_unique<MainWindow>();
        window->show();
        probe = MainWindowProbe(window.get());
        for (int waited = 0; probe.deferredInitDone() != 1 && waited < 5000; waited += 10)
            QTest::qWait(10);
        d = child<XingJianChuangKou>(window.get(), QStringLiteral("xjck"));
    }
    QString resolve(QString text) const
    {
        static const QRegularExpression file(QStringLiteral("@([^\\n@]+\\.(mp3|sh|wav))"));
        for (auto it = file.globalMatch(text); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (!QFileInfo::exists(home.home() + '/' + name))
                home.makeFile(name);
            text.replace('@' + name, home.home() + '/' + name);
        }
        return text;
    }
    QString stored() const { return QString::fromUtf8(home.storageBytes()); }
    template <typename T = QWidget> T *in(const char *name) const { return child<T>(d, QLatin1String(name)); }
    template <typename T = QWidget> T *row(const char *prefix, int i) const
    {
        return child<T>(window.get(), QLatin1String(prefix) + QString::number(i));
    }
    QCheckBox *day(const QString &name) const
    {
        const char *boxes[] = {"qcb_XingQiYi", "qcb_XingQiEr",  "qcb_XingQiSan", "qcb_XingQiSi",
                               "qcb_XingQiWu", "qcb_XingQiLiu", "qcb_XingQiRi"};
        return in<QCheckBox>(boxes[StorageFile::weekdayNames().indexOf(name)]);
    }
    QTreeWidgetItem *summary() const { return in<QTreeWidget>("qtw_ChongFu")->topLevelItem(0); }

    // Works the editor as a user would: "timer", "alarm", "name:x", "time:01:02:03", "open",
    // "day:星期一", "sound:@f", "command:@f", "rightsound", "loopoff", "save".
    void run(const QStringList &steps) const
    {
        for (const QString &step : steps) {
            const QString arg = step.section(':', 1);
            if (step == "timer" || step == "alarm")
                in<QPushButton>(step == "timer" ? "qpb_JiShiQi" : "qpb_NaoZhong")->click();
            else if (step.startsWith("name:"))
                in<QLineEdit>("qle_MingCheng")->setText(arg);
            else if (step.startsWith("time:"))
                in<QTimeEdit>("qte_ShiJian")->setTime(QTime::fromString(arg, "HH:mm:ss"));
            else if (step == "open")
                in<QTreeWidget>("qtw_ChongFu")->expandItem(summary());
            else if (step.startsWith("day:"))
                day(arg)->click();
            else if (step.startsWith("sound:") || step.startsWith("command:"))
                choose(step.startsWith("sound:") ? "qpb_ShengYinWenJian" : "qpb_MingLingWenJian",
                       resolve(arg));
            else if (step == "rightsound")
                QTest::mousePress(in<QPushButton>("qpb_ShengYinWenJian"), Qt::RightButton);
            else if (step == "loopoff")
                in<QCheckBox>("qcb_FanFuNaoLing")->setChecked(false);
            else if (step == "save")
                in<QPushButton>("qpb_BaoCun")->click();
        }
    }
    void choose(const char *button, const QString &path) const
    {
        answerFileDialog(d, path);
        QTest::mousePress(in<QPushButton>(button), Qt::LeftButton);
    }
    // Triggers a tool bar command; `inside` works the editor while its exec() runs.
    void command(const char *action, const std::function<void()> &inside = {}) const
    {
        if (inside)
            whenShown([this] { return d; }, [inside](QWidget *) { inside(); });
        child<QAction>(window.get(), QLatin1String(action))->trigger();
    }
};

} // namespace EditorTest

#endif // TAVREL_TST_EDITOR_SUPPORT_H
