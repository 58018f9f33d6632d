// Built into every test executable: a test run under a locale (LANG=zh_CN.UTF-8) must really run
// under it. glibc falls back to C without a word when the locale was never generated, and such a
// run would only repeat the one under C.
#include <QByteArray>
#include <QCoreApplication>
#include <QLocale>

#include <clocale>
#include <langinfo.h>

namespace {

QByteArray requestedLocale()
{
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value;
    }
    return QByteArray();
}

// Why the locale the environment asks for is not the one in effect; empty when it is.
QString localeProblem(const QByteArray &requested)
{
    // As QCoreApplication does; a locale that was never generated makes this return null.
    if (!std::setlocale(LC_ALL, ""))
        return QStringLiteral("the C library does not know it (is it generated? see locale -a)");
    const int dot = requested.indexOf('.');
    const QByteArray codeset = dot < 0 ? QByteArray() : requested.mid(dot + 1).toLower().replace("-", "");
    if (codeset == "utf8" && qstrcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        return QStringLiteral("its character set is %1, not UTF-8")
            .arg(QString::fromLatin1(nl_langinfo(CODESET)));
    // A language and a territory, such as zh_CN: Qt's own idea of the system locale must follow.
    const QByteArray language = requested.left(dot < 0 ? requested.size() : dot);
    if (language.contains('_') && QLocale::system().name() != QString::fromLatin1(language))
        return QStringLiteral("Qt's system locale is %1").arg(QLocale::system().name());
    return QString();
}

void requireRequestedLocale()
{
    const QByteArray requested = requestedLocale();
    if (requested.isEmpty() || requested == "C" || requested == "POSIX")
        return;
    const QString problem = localeProblem(requested);
    if (!problem.isEmpty())
        qFatal("this test run asks for the locale %s, which is not in effect: %s", requested.constData(),
               qPrintable(problem));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(requireRequestedLocale)
