#ifndef TAVREL_SETTINGSDIALOG_H
#define TAVREL_SETTINGSDIALOG_H

#include "core/settings.h"

#include <QDialog>

class QCheckBox;
class QSpinBox;

// "设置": the three settings. It only shows and collects them; the window saves what changed.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);

    // Shows `current` and opens, modal to the window; accepted() when the person confirms.
    void showSettings(const Settings &current);
    Settings chosen() const;

    QCheckBox *keepAlarmsBox() const { return m_keepAlarms; }
    QCheckBox *startAtLoginBox() const { return m_startAtLogin; }
    QSpinBox *snoozeBox() const { return m_snooze; }

private:
    QCheckBox *m_keepAlarms = nullptr;
    QCheckBox *m_startAtLogin = nullptr;
    QSpinBox *m_snooze = nullptr;
};

#endif // TAVREL_SETTINGSDIALOG_H
