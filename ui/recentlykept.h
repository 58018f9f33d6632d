#ifndef TAVREL_RECENTLYKEPT_H
#define TAVREL_RECENTLYKEPT_H

#include <QCoreApplication>
#include <QList>
#include <QPair>

// The value kept for `key` among the `Size` most recently asked for, made by `make(key)` when it
// is not kept. One list for each place that asks (each `make` is a type of its own), emptied before
// the application goes, so the pictures and fonts kept in it do not outlive Qt.
template <int Size, typename Key, typename Make>
auto recentlyKept(const Key &key, Make make) -> decltype(make(key))
{
    using Value = decltype(make(key));
    static QList<QPair<Key, Value>> kept;
    static const bool emptiedAtExit = [] {
        qAddPostRoutine([] { kept.clear(); });
        return true;
    }();
    Q_UNUSED(emptiedAtExit)
    for (int i = 0; i < kept.size(); ++i) {
        if (kept.at(i).first == key) {
            kept.move(i, 0);
            return kept.first().second;
        }
    }
    kept.prepend({key, make(key)});
    if (kept.size() > Size)
        kept.removeLast();
    return kept.first().second;
}

#endif // TAVREL_RECENTLYKEPT_H
