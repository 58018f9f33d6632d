#ifndef TAVREL_TST_EDITOR_SUPPORT_H
#define TAVREL_TST_EDITOR_SUPPORT_H

// What the editor and list-command tests share: a running main window with its editor, answering
// the modal dialogs the program opens, and short sound files to play.
#include "app/mainwindow.h"
#include "editor/xingjianchuangkou.h"
#include "support/mainwindowprobe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace EditorTest {

template <typename T> T *child(QObject *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

// The window after its deferred start-up step, so the editor exists.
inline std::unique_ptr<MainWindow> startWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    MainWindowProbe probe(window.get());
    for (int waited = 0; probe.deferredInitDone() != 1 && waited < 5000; waited += 10)
        QTest::qWait(10);
    return window;
}

inline XingJianChuangKou *editorOf(MainWindow *w)
{
    return child<XingJianChuangKou>(w, QStringLiteral("xjck"));
}

// Runs `answer` on the first widget `find` returns once a modal loop shows it (polled, so a
// dialog that never comes cannot hang the test: the answer is then simply not given).
inline void whenShown(const std::function<QWidget *()> &find, const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, find, answer] {
        QWidget *w = find();
        if ((w && w->isVisible()) || ++*tries > 250) {
            poll->stop();
            poll->deleteLater();
            if (w && w->isVisible())
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
            if (path.isEmpty()) {
                static_cast<QDialog *>(dialog)->reject();
                return;
            }
            // selectFile() leaves a focused name field alone, so type the path as a user would.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog *>(dialog)->accept();
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

} // namespace EditorTest

#endif // TAVREL_TST_EDITOR_SUPPORT_H
