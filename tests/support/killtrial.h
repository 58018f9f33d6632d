#ifndef TAVREL_KILLTRIAL_H
#define TAVREL_KILLTRIAL_H

// Shooting a child while it writes. A rewrite's temporary file may have no name at all (O_TMPFILE),
// so a kill in the middle leaves no trace in the directory: the child is stopped first and its
// open files looked at, which tells whether the kill landed mid-write. Shared by the kill trials of
// the core's writers, the window's writers and the program's start-up.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace KillTrial {

// Whether process pid holds a file open for writing in dir (a rewrite under way).
inline bool writingIn(qint64 pid, const QString &dir)
{
    const QByteArray prefix = QFile::encodeName(QDir(dir).canonicalPath()) + '/';
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString &fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t n =
            ::readlink(QFile::encodeName(fds + QLatin1Char('/') + fd).constData(), target, sizeof target - 1);
        if (n <= 0 || !QByteArray(target, int(n)).startsWith(prefix))
            continue;
        QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid).arg(fd));
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("flags:") && (line.mid(6).trimmed().toInt(nullptr, 8) & 3) != 0)
                return true; // O_WRONLY or O_RDWR
        }
    }
    return false;
}

// Waits up to timeoutMs for pid to start writing in dir; false if it did not.
inline bool waitForWrite(qint64 pid, const QString &dir, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!writingIn(pid, dir)) {
        if (waited.elapsed() > timeoutMs)
            return false;
        ::usleep(200);
    }
    return true;
}

// Stops pid and waits until the stop has taken hold (every thread out of the kernel); returns
// whether it was writing in dir at that moment.
inline bool stopNotingWrite(qint64 pid, const QString &dir)
{
    ::kill(pid_t(pid), SIGSTOP);
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        stat.open(QIODevice::ReadOnly);
        const QByteArray fields = stat.readAll();
        stat.close();
        const int end = fields.lastIndexOf(')');
        if (end < 0 || fields.mid(end + 2, 1) == "T" || waited.elapsed() > 2000)
            break;
        ::usleep(100);
    }
    return writingIn(pid, dir);
}

// Stops pid, notes whether it was writing in dir at that moment, and kills it with SIGKILL (no
// clean-up of any kind, as after a stop nothing of it runs again). Returns whether it was writing.
inline bool killNotingWrite(qint64 pid, const QString &dir)
{
    const bool writing = stopNotingWrite(pid, dir);
    ::kill(pid_t(pid), SIGKILL);
    return writing;
}

// Starts a writer child with its own HOME (and the settings under it) and the extra environment,
// and waits for the line "ready" it writes once it writes in a loop.
inline bool startWriter(QProcess &child, const QString &program, const QStringList &args, const QString &home,
                        const QProcessEnvironment &extra = QProcessEnvironment())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(extra);
    child.setProcessEnvironment(env);
    child.start(program, args);
    while (!child.canReadLine() && child.waitForReadyRead(10000)) {
    }
    return child.readLine() == "ready\n";
}

enum class Shot
{
    BeforeOrAfterWrite,
    MidWrite,
    NeverWrote
};

// The kill of one trial: every other one waits for a rewrite to begin, so some surely land inside
// one; the others come after a random delay of at most maxDelayMs.
inline Shot shoot(const QProcess &child, int trial, QRandomGenerator &random, int maxDelayMs,
                  const QString &dir, int writeTimeoutMs)
{
    if (trial % 2) {
        // A rewrite seen under way may end before the stop takes hold (a slow or sanitized
        // build, a loaded machine): let the writer go on to its next rewrite and try again.
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (!waitForWrite(child.processId(), dir, writeTimeoutMs))
                return Shot::NeverWrote;
            if (stopNotingWrite(child.processId(), dir)) {
                ::kill(pid_t(child.processId()), SIGKILL);
                return Shot::MidWrite;
            }
            ::kill(pid_t(child.processId()), SIGCONT);
        }
    } else {
        QTest::qSleep(1 + int(random.bounded(maxDelayMs))); // qSleep(0) asserts
    }
    return killNotingWrite(child.processId(), dir) ? Shot::MidWrite : Shot::BeforeOrAfterWrite;
}

} // namespace KillTrial

#endif // TAVREL_KILLTRIAL_H
