// The child that tst_storagekill shoots: it runs one of the storage file's writers over the file
// in $HOME again and again until it is killed, and prints "ready" once the loop begins.
#include "core/storagefile.h"
#include "support/editedentry.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

void ready()
{
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
}

// Start-up over and over: the file is put back as it was (atomically, so the child's own
// restoring cannot tear it) and a new object prepares it.
[[noreturn]] void startUps(const QByteArray &before)
{
    ready();
    for (;;) {
        QSaveFile file(StorageFile::path());
        file.open(QIODevice::WriteOnly);
        file.write(before);
        file.commit();
        StorageFile().prepare();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // a test that stops half-way must not leave a writer looping
    QCoreApplication app(argc, argv);
    const QString writer = QString::fromLocal8Bit(argc > 1 ? argv[1] : "");
    const QString picture = QString::fromLocal8Bit(argc > 2 ? argv[2] : "");
    QFile original(StorageFile::path());
    original.open(QIODevice::ReadOnly);
    const QByteArray before = original.readAll();
    original.close();
    if (writer == QLatin1String("startup"))
        startUps(before);

    StorageFile storage;
    storage.prepare();
    StorageContents contents;
    storage.load(&contents);
    const int last = contents.entries.size() - 1;
    ready();
    for (bool flip = true;; flip = !flip) {
        if (writer == QLatin1String("sync"))
            storage.setStates({flip});
        else if (writer == QLatin1String("background"))
            storage.setBackground(flip ? picture : QString());
        else if (writer == QLatin1String("edit"))
            storage.replace(0, editedEntry(flip ? QStringLiteral("甲") : QStringLiteral("乙")));
        else if (writer == QLatin1String("delete") && flip)
            storage.remove(last);
        else if (writer == QLatin1String("delete"))
            storage.append(contents.entries.at(last));
        else
            return 2;
    }
}
