#ifndef TAVREL_TESTSUPPORT_H
#define TAVREL_TESTSUPPORT_H

#include "support/corehome.h"

#include <QByteArray>
#include <QString>

// A fresh HOME for one test; prompts still shown are closed when it goes.
class TestHome : public CoreTestHome
{
public:
    ~TestHome();
};

namespace TestSupport {
// Resources, the connect-warning trap and headless defaults; call first in every test's main.
void initTestProcess();
inline QByteArray readFile(const QString &path)
{
    return CoreTestHome::read(path);
}
// Makes the directories on the way.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    CoreTestHome::write(path, bytes);
}
// The texts of every message box currently shown.
QStringList shownPromptTexts();
void closeAllPrompts();
// Whether this process has mapped a library whose file name contains `name` (Linux).
bool libraryMapped(const QString &name);
} // namespace TestSupport

// Use instead of QTEST_MAIN so every test process shares the same set-up.
#define TAVREL_TEST_MAIN(TestClass)                                                                          \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        TestSupport::initTestProcess();                                                                      \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }

#endif // TAVREL_TESTSUPPORT_H
