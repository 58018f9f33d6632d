#ifndef TAVREL_DIALOGDRIVER_H
#define TAVREL_DIALOGDRIVER_H

// Answers to modal dialogs (which run their own event loop, so the test cannot act after the
// call that opens them).
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace DialogDriver {

// Runs `answer` on the widget `find` returns once it is shown; polled for at most 5 s, so a
// dialog that never comes cannot hang the test.
inline void whenShown(const std::function<QWidget *()> &find, const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, find, answer] {
        QWidget *w = find();
        const bool shown = w && w->isVisible();
        if (shown || ++*tries > 250) {
            poll->stop();
            poll->deleteLater();
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
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
            path.isEmpty() ? dialog->QDialog::reject() : dialog->QDialog::accept();
        });
}

} // namespace DialogDriver

#endif // TAVREL_DIALOGDRIVER_H
