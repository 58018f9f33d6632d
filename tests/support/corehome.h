#ifndef TAVREL_COREHOME_H
#define TAVREL_COREHOME_H

// A fresh HOME for one test (Documents moves with it, so the real one is never touched), and small
// file helpers. Needs only QtCore and QtTest, so the core's tests use it alone; the window tests
// use TestHome (support/testsupport.h), which adds the closing of prompts.
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

    // A file under HOME with the given content; returns its absolute path.
    QString makeFile(const QString &relativePath, const QByteArray &content = QByteArray("x")) const
    {
        const QString path = home() + QLatin1Char('/') + relativePath;
        write(path, content);
        return path;
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
