#include "ui/settingsdialog.h"

#include "core/texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

SettingsDialog::SettingsDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Texts::kSettingsTitle);
    m_keepAlarms = new QCheckBox(Texts::kKeepAlarmsEnabledBox, this);
    m_startAtLogin = new QCheckBox(Texts::kStartAtLoginBox, this);
    m_snooze = new QSpinBox(this);
    m_snooze->setRange(SettingsFile::kMinSnoozeMinutes, SettingsFile::kMaxSnoozeMinutes);
    m_snooze->setSuffix(Texts::kMinutesSuffix);
    m_snooze->setAccessibleName(Texts::kSnoozeLabel);

    auto *snoozeRow = new QFormLayout;
    snoozeRow->addRow(Texts::kSnoozeLabel, m_snooze);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Texts::kConfirm);
    buttons->button(QDialogButtonBox::Cancel)->setText(Texts::kCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_keepAlarms);
    layout->addWidget(m_startAtLogin);
    layout->addLayout(snoozeRow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SettingsDialog::showSettings(const Settings &current)
{
    m_keepAlarms->setChecked(current.keepAlarmsEnabled);
    m_startAtLogin->setChecked(current.startAtLogin);
    m_snooze->setValue(current.snoozeMinutes);
    open();
    raise();
    activateWindow();
}

Settings SettingsDialog::chosen() const
{
    Settings s;
    s.keepAlarmsEnabled = m_keepAlarms->isChecked();
    s.startAtLogin = m_startAtLogin->isChecked();
    s.snoozeMinutes = m_snooze->value();
    return s;
}
