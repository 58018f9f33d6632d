// The settings: where the person finds them, and carrying out what they change.
#include "ui/mainwindow.h"

#include "core/autostart.h"
#include "core/texts.h"
#include "ui/prompt.h"
#include "ui/settingsdialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QScrollArea>

// In the tray menu, where a tray program's settings are looked for, and in the list's context
// menu and as Ctrl+, for a person at the window: the tool bar's layout stays as it is.
void MainWindow::createSettingsAction()
{
    m_settingsAction = new QAction(Texts::kSettingsCommand, this);
    m_settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(m_settingsAction, &QAction::triggered, this, &MainWindow::showSettings);
    m_listArea->addAction(m_settingsAction);
    m_listArea->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::showSettings()
{
    if (!m_settingsDialog) {
        m_settingsDialog = new SettingsDialog(this);
        connect(m_settingsDialog, &QDialog::accepted, this,
                [this] { applySettings(m_settingsDialog->chosen()); });
    }
    m_settingsDialog->showSettings(m_settings);
}

// Nothing is written while nothing changes, so a person who never changes a setting never gets
// a settings file. The run follows the new settings even when they could not be saved.
void MainWindow::applySettings(const Settings &wanted)
{
    Settings next = wanted;
    if (next.startAtLogin != m_settings.startAtLogin && !applyStartAtLogin(next.startAtLogin))
        next.startAtLogin = m_settings.startAtLogin; // the entry is as it was: so is the setting
    if (next == m_settings)
        return;
    m_settings = next;
    if (!writeSettings(next))
        Prompt::show(this, Texts::kSettingsNotSaved.arg(SettingsFile::path()));
}

bool MainWindow::applyStartAtLogin(bool on)
{
    QString error;
    if (on ? Autostart::install(QCoreApplication::applicationFilePath(), &error)
           : Autostart::uninstall(&error))
        return true;
    const QString &prompt = on ? Texts::kAutostartNotWritten : Texts::kAutostartNotRemoved;
    Prompt::show(this, prompt.arg(Autostart::entryPath(), error));
    return false;
}
