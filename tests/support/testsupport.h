#ifndef TAVREL_TESTSUPPORT_H
#define TAVREL_TESTSUPPORT_H

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh HOME for one test: Documents moves with it, so the real one is never touched.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    QString home() const { return m_dir.path(); }
    QString documents() const;
    QString storagePath() const;
    QByteArray storageBytes() const;
    void writeStorage(const QByteArray &bytes) const;
    // A file under HOME with the given content; returns its absolute path.
    QString makeFile(const QString &relativePath, const QByteArray &content = QByteArray("x")) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
};

namespace TestSupport {
// Resources, the connect-warning trap and headless defaults; call first in every test's main.
void initTestProcess();
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
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
