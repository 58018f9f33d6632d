#include "support/testsupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <cstdio>
#include <cstdlib>

static void initResources()
{
    Q_INIT_RESOURCE(res); // the resources live in a static library
}

namespace {

QtMessageHandler previousHandler = nullptr;

// The string form of connect() only fails at run time; make such a failure fail the test.
void trapConnectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool connectFailure =
        message.startsWith(QLatin1String("QObject::connect:")) &&
        !message.contains(QLatin1String("QPlatformNativeInterface")); // Qt's own, offscreen
    if (connectFailure) {
        std::fprintf(stderr, "connect failed: %s\n", qPrintable(message));
        std::abort();
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

TestHome::~TestHome()
{
    TestSupport::closeAllPrompts();
}

namespace TestSupport {

void initTestProcess()
{
    initResources();
    previousHandler = qInstallMessageHandler(trapConnectWarnings);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QStringList shownPromptTexts()
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->isVisible())
            texts << box->text();
    }
    return texts;
}

bool libraryMapped(const QString &name)
{
    const QString maps = QString::fromUtf8(readFile(QStringLiteral("/proc/self/maps")));
    for (const QStringRef &line : maps.splitRef(QLatin1Char('\n'))) {
        if (line.mid(line.lastIndexOf(QLatin1Char('/')) + 1).contains(name))
            return true;
    }
    return false;
}

void closeAllPrompts()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            box->hide();
    }
}

} // namespace TestSupport
