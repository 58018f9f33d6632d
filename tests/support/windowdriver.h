// Finds what a person sees in the main window: the tool bar's commands by their text, the rows
// top to bottom, the tray. Nothing here reaches inside the window.
#ifndef TAVREL_WINDOWDRIVER_H
#define TAVREL_WINDOWDRIVER_H

#include "support/dialogdriver.h"
#include "ui/entryeditor.h"
#include "ui/entryrow.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/ringer.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QMediaPlayer>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolBar>

#include <memory>

class WindowDriver
{
public:
    explicit WindowDriver(MainWindow *window) : w(window) {}

    QToolBar *toolBar() const { return w->findChild<QToolBar *>(); }

    // A tool bar command by the text it shows.
    QAction *action(const QString &text) const
    {
        for (QAction *a : toolBar()->actions()) {
            if (a->text() == text)
                return a;
        }
        return nullptr;
    }
    QAction *forcedReminderAction() const { return toolBar()->actions().value(4); }
    QAction *backgroundAction() const { return toolBar()->actions().value(8); }
    QWidget *toolBarSpacer() const { return toolBar()->widgetForAction(toolBar()->actions().value(9)); }

    QScrollArea *listArea() const { return w->findChild<QScrollArea *>(); }
    QWidget *canvas() const { return listArea()->widget(); }

    // The rows, top to bottom: in the order of the list's layout, which holds before it is laid out.
    QList<EntryRow *> rows() const
    {
        QList<EntryRow *> found;
        QLayout *list = canvas()->layout();
        for (int i = 0; list && i < list->count(); ++i) {
            if (auto *row = qobject_cast<EntryRow *>(list->itemAt(i)->widget()))
                found << row;
        }
        return found;
    }
    EntryRow *row(int i) const { return rows().value(i); }
    int rowCount() const { return rows().size(); }
    QString time(int i) const { return row(i)->timeText(); }
    bool enabled(int i) const { return row(i)->enableBox()->isChecked(); }
    QStringList names() const
    {
        QStringList shown;
        for (EntryRow *r : rows())
            shown << r->nameText();
        return shown;
    }

    // As a person clicks them.
    void clickRow(int i) const { QTest::mouseClick(row(i), Qt::LeftButton, Qt::NoModifier, QPoint(400, 5)); }
    void clickBox(int i) const
    {
        QCheckBox *box = row(i)->enableBox();
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier,
                          QPoint(box->width() / 2 + 6, box->height() / 2));
    }

    QSystemTrayIcon *tray() const { return w->findChild<QSystemTrayIcon *>(); }
    QMenu *trayMenu() const { return tray()->contextMenu(); }
    // The next-ring entry as a person sees it: in the menu opened, as a tray host opens it.
    QString nextRingText() const
    {
        emit trayMenu()->aboutToShow();
        return trayMenu()->actions().value(1)->text();
    }

    // The editor, made just after the window first shows.
    EntryEditor *editor() const { return w->findChild<EntryEditor *>(); }
    bool waitForEditor() const
    {
        return QTest::qWaitFor([this] { return editor() != nullptr; }, 5000);
    }

    // "新建", the name typed in, "保存". True when the editor closed, that is, the entry was
    // stored; otherwise the editor is closed afterwards, as a person gives up.
    bool saveNew(const QString &name) const
    {
        EntryEditor *dialog = editor();
        auto closed = std::make_shared<bool>(false);
        DialogDriver::whenShown([dialog] { return dialog; },
                                [closed, name](QWidget *shown) {
                                    labelled<QLineEdit>(shown, QStringLiteral("名称："))->setText(name);
                                    button(shown, QStringLiteral("保存"))->click();
                                    *closed = !shown->isVisible();
                                    shown->close();
                                });
        action(QStringLiteral("新建"))->trigger();
        return *closed;
    }

    // Selects row i, "删除", and answers the question with `answer`; returns the question asked.
    QString deleteRow(int i, const QString &answer = QStringLiteral("确定")) const
    {
        clickRow(i);
        auto question = std::make_shared<QString>();
        answerMessageBox(answer, question);
        action(QStringLiteral("删除"))->trigger();
        return *question;
    }

    // Presses the button captioned `caption` in the next application-modal message box.
    static void answerMessageBox(const QString &caption, std::shared_ptr<QString> text = {})
    {
        DialogDriver::whenShown([] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); },
                                [caption, text](QWidget *shown) {
                                    auto *box = static_cast<QMessageBox *>(shown);
                                    if (text)
                                        *text = box->text();
                                    for (QAbstractButton *b : box->buttons()) {
                                        if (b->text() == caption)
                                            b->click();
                                    }
                                });
    }

    // The field a label with this text stands for, as a screen reader pairs them.
    template <typename T> static T *labelled(QWidget *dialog, const QString &labelText)
    {
        for (QLabel *label : dialog->findChildren<QLabel *>()) {
            if (label->text() == labelText)
                return qobject_cast<T *>(label->buddy());
        }
        return nullptr;
    }
    static QPushButton *button(QWidget *dialog, const QString &text)
    {
        for (QPushButton *b : dialog->findChildren<QPushButton *>()) {
            if (b->text() == text)
                return b;
        }
        return nullptr;
    }

    // The player of a ring that sounds now (there is one only while a ring sounds).
    QMediaPlayer *ringPlayer() const { return w->findChild<Ringer *>()->findChild<QMediaPlayer *>(); }

    void show() const
    {
        w->show();
        Prompt::centreOnDesktop(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }

private:
    MainWindow *w;
};

#endif // TAVREL_WINDOWDRIVER_H
