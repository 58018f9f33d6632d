// The settings dialog on the real window: what each change leaves in the settings file and the
// autostart directory, and the prompts when the autostart directory cannot take the entry.
#include "core/autostart.h"
#include "core/settings.h"
#include "core/texts.h"
#include "support/testsupport.h"
#include "ui/mainwindow.h"
#include "ui/settingsdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

namespace {
SettingsDialog *openDialog(MainWindow &window)
{
    window.showSettings();
    auto *dialog = window.findChild<SettingsDialog *>();
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

enum class AutostartDir
{
    Usable,
    IsAFile, // a file stands where the autostart directory goes
};
} // namespace

Q_DECLARE_METATYPE(AutostartDir)

class SettingsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void changes_data();
    void changes();
    void loginEntryComesAndGoes();
    void execLineSpelling_data();
    void execLineSpelling();
};

void SettingsDialogTest::changes_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<bool>("login");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<AutostartDir>("autostartDir");
    QTest::addColumn<bool>("settingsFile"); // a settings file exists afterwards
    QTest::addColumn<bool>("prompt");
    QTest::newRow("nothing changed") << false << false << 10 << AutostartDir::Usable << false << false;
    QTest::newRow("keep alarms") << true << false << 10 << AutostartDir::Usable << true << false;
    QTest::newRow("snooze 1") << false << false << 1 << AutostartDir::Usable << true << false;
    QTest::newRow("login") << false << true << 10 << AutostartDir::Usable << true << false;
    QTest::newRow("login, dir is a file") << false << true << 10 << AutostartDir::IsAFile << false << true;
    QTest::newRow("login and snooze, dir is a file")
        << false << true << 30 << AutostartDir::IsAFile << true << true;
}

void SettingsDialogTest::changes()
{
    QFETCH(bool, keep);
    QFETCH(bool, login);
    QFETCH(int, minutes);
    QFETCH(AutostartDir, autostartDir);
    QFETCH(bool, settingsFile);
    QFETCH(bool, prompt);
    TestHome home;
    const QString dir = QFileInfo(Autostart::entryPath()).absolutePath();
    if (autostartDir == AutostartDir::IsAFile) {
        QVERIFY(QDir().mkpath(QFileInfo(dir).absolutePath()));
        TestSupport::writeFile(dir, "not a directory");
    }
    MainWindow window;
    SettingsDialog *dialog = openDialog(window);
    QVERIFY(dialog);
    QVERIFY(!dialog->keepAlarmsBox()->isChecked());
    QVERIFY(!dialog->startAtLoginBox()->isChecked());
    QCOMPARE(dialog->snoozeBox()->value(), 10);
    dialog->keepAlarmsBox()->setChecked(keep);
    dialog->startAtLoginBox()->setChecked(login);
    dialog->snoozeBox()->setValue(minutes);
    dialog->accept();

    QCOMPARE(QFileInfo::exists(SettingsFile::path()), settingsFile);
    QCOMPARE(QFileInfo(Autostart::entryPath()).isFile(), login && !prompt);
    QCOMPARE(!TestSupport::shownPromptTexts().isEmpty(), prompt);
    // What a failed login entry leaves: the setting stays off, here and in the file.
    const Settings stored = readSettings();
    QCOMPARE(stored.keepAlarmsEnabled, keep);
    QCOMPARE(stored.startAtLogin, login && !prompt);
    QCOMPARE(stored.snoozeMinutes, minutes);
    TestSupport::closeAllPrompts();
    dialog = openDialog(window);
    QVERIFY(dialog);
    QCOMPARE(dialog->startAtLoginBox()->isChecked(), login && !prompt);
    QCOMPARE(dialog->snoozeBox()->value(), minutes);
    dialog->reject();
}

// On, then off: a valid entry that starts this program in the tray, then none.
void SettingsDialogTest::loginEntryComesAndGoes()
{
    TestHome home;
    MainWindow window;
    SettingsDialog *dialog = openDialog(window);
    QVERIFY(dialog);
    dialog->startAtLoginBox()->setChecked(true);
    dialog->accept();
    const QString entry = Autostart::entryPath();
    QVERIFY(QFileInfo(entry).isFile());
    const QString text = QString::fromUtf8(TestSupport::readFile(entry));
    QVERIFY(text.contains(QStringLiteral("\nExec=") + QCoreApplication::applicationFilePath() + " --tray\n"));
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY(validate.waitForFinished(10000));
    QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    QCOMPARE(validate.exitCode(), 0);

    dialog = openDialog(window);
    QVERIFY(dialog);
    dialog->startAtLoginBox()->setChecked(false);
    dialog->accept();
    QVERIFY(!QFileInfo::exists(entry));
    QVERIFY(!readSettings().startAtLogin);
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
}

void SettingsDialogTest::execLineSpelling_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("spelled"); // as the file holds it
    QTest::newRow("plain") << "/usr/bin/tavrel"
                           << "/usr/bin/tavrel";
    QTest::newRow("space") << "/opt/my apps/tavrel"
                           << "\"/opt/my apps/tavrel\"";
    QTest::newRow("dollar and quote") << "/opt/a$b\"c/tavrel"
                                      << "\"/opt/a\\\\$b\\\\\"c/tavrel\"";
    QTest::newRow("backslash") << "/opt/a\\b/tavrel"
                               << "\"/opt/a\\\\\\\\b/tavrel\"";
    QTest::newRow("percent") << "/opt/100%/tavrel"
                             << "/opt/100%%/tavrel";
    QTest::newRow("chinese") << "/opt/闹钟/tavrel"
                             << "/opt/闹钟/tavrel";
}

// Each spelling is one a desktop accepts, and it starts the program at that path.
void SettingsDialogTest::execLineSpelling()
{
    QFETCH(QString, program);
    QFETCH(QString, spelled);
    QCOMPARE(Autostart::execArgument(program), spelled);
    TestHome home;
    QString error;
    QVERIFY(Autostart::install(program, &error));
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {Autostart::entryPath()});
    QVERIFY(validate.waitForFinished(10000));
    QCOMPARE(validate.exitCode(), 0);
    QVERIFY(!Autostart::install(program + "\n", &error));
    QCOMPARE(error, Texts::kProgramPathUnusable);
}

TAVREL_TEST_MAIN(SettingsDialogTest)
#include "tst_settingsdialog.moc"
