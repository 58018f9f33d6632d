#ifndef TAVREL_EDITEDENTRY_H
#define TAVREL_EDITEDENTRY_H

// The entry the kill test's editing writer stores over the first record, by turns under two
// names; the test and the writer it shoots must agree on its bytes.
#include "core/entry.h"

inline Entry editedEntry(const QString &name)
{
    Entry e;
    e.kind = Entry::Kind::Timer;
    e.name = name;
    e.timerSeconds = 36000;
    e.loop = true;
    return e;
}

#endif // TAVREL_EDITEDENTRY_H
