#ifndef TAVREL_COREHOME_H
#define TAVREL_COREHOME_H

// For tests of the widget-free core: a fresh HOME per test (Documents moves with it, so the
// real one is never touched), and small file helpers. Needs only QtCore and QtTest.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class CoreTestHome
{
public:
    CoreTestHome() : m_oldHome(qgetenv("HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/.config")));
        QDir().mkpath(documents());
    }
    ~CoreTestHome()
    {
        qputenv("HOME", m_oldHome);
        if (m_oldConfig.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }
    CoreTestHome(const CoreTestHome &) = delete;
    CoreTestHome &operator=(const CoreTestHome &) = delete;

    QString home() const { return m_dir.path(); }
    QString documents() const { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }
    QString storagePath() const { return documents() + QStringLiteral("/Tavrel存储文件.txt"); }
    QByteArray storageBytes() const { return read(storagePath()); }
    void writeStorage(const QByteArray &bytes) const { write(storagePath(), bytes); }

    // Everything in Documents but the storage file itself.
    QStringList others() const
    {
        QStringList names =
            QDir(documents()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        names.removeAll(QStringLiteral("Tavrel存储文件.txt"));
        return names;
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            QFAIL(qPrintable(QStringLiteral("cannot write ") + path));
        file.write(bytes);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
};

#endif // TAVREL_COREHOME_H
