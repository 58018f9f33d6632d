#include "support/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
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

TestHome::TestHome() : m_oldHome(qgetenv("HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/.config")));
    QDir().mkpath(documents());
}

TestHome::~TestHome()
{
    TestSupport::closeAllPrompts();
    qputenv("HOME", m_oldHome);
    if (m_oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

QString TestHome::documents() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString TestHome::storagePath() const
{
    return documents() + QStringLiteral("/Tavrel存储文件.txt");
}

QByteArray TestHome::storageBytes() const
{
    return TestSupport::readFile(storagePath());
}

void TestHome::writeStorage(const QByteArray &bytes) const
{
    TestSupport::writeFile(storagePath(), bytes);
}

QString TestHome::makeFile(const QString &relativePath, const QByteArray &content) const
{
    const QString path = m_dir.path() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    TestSupport::writeFile(path, content);
    return path;
}

namespace TestSupport {

void initTestProcess()
{
    initResources();
    previousHandler = qInstallMessageHandler(trapConnectWarnings);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        QFAIL(qPrintable(QStringLiteral("cannot write ") + path));
    file.write(bytes);
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
