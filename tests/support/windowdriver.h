// Finds what a person sees in the main window: the tool bar's commands by their text, the rows
// top to bottom, the tray. Nothing here reaches inside the window.
#ifndef TAVREL_WINDOWDRIVER_H
#define TAVREL_WINDOWDRIVER_H

#include "ui/entryrow.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QScrollArea>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolBar>

#include <QLayout>

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
    QString nextRingText() const { return trayMenu()->actions().value(1)->text(); }

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
