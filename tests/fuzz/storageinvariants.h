#ifndef TAVREL_STORAGEINVARIANTS_H
#define TAVREL_STORAGEINVARIANTS_H

#include <QByteArray>
#include <QString>

// The rules every reader and rewrite of the storage file must keep, whatever bytes the file
// holds. Shared by the fuzz target (which aborts on a broken rule) and the corpus replay test.
namespace StorageInvariants {

// What start-up leaves in the file for these bytes: new file, header upgrade, migration and
// state reset.
QByteArray startupRewrite(const QByteArray &bytes);

// Entries the start-up load fills rows for.
int startupRows(const QByteArray &bytes);

// The rules of the readers (damage judge, load, an entry's nine lines): the first broken rule,
// or "" when all hold. Cheap enough to fuzz for hours.
QString checkReaders(const QByteArray &bytes);

// The rules of every whole-file rewrite (start-up, state sync, append, edit, delete, background).
QString checkRewrites(const QByteArray &bytes);

// Both.
QString check(const QByteArray &bytes);

} // namespace StorageInvariants

#endif // TAVREL_STORAGEINVARIANTS_H
