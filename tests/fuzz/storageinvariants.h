#ifndef TAVREL_STORAGEINVARIANTS_H
#define TAVREL_STORAGEINVARIANTS_H

#include <QByteArray>
#include <QString>

// The rules every reader and rewrite of the storage file must keep, whatever bytes the file
// holds. Shared by the fuzz target (which aborts on a broken rule) and the corpus replay test.
namespace StorageInvariants {

// What start-up leaves in the file for these bytes: new file, header upgrade, migration and
// state reset, each written and read back as the window does it.
QByteArray startupRewrite(const QByteArray &bytes);

// Entries the start-up load fills rows for.
int startupRows(const QByteArray &bytes);

// Runs every reader and rewrite over the bytes; the first broken rule, or "" when all hold.
QString check(const QByteArray &bytes);

} // namespace StorageInvariants

#endif // TAVREL_STORAGEINVARIANTS_H
