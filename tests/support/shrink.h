#pragma once

#include <QList>

#include <algorithm>

// Delta debugging (Zeller and Hildebrandt's ddmin): a failing sequence shrunk to one that still
// fails and from which no single item can be left out and still fail. It tries the sequence's
// parts alone, then the sequence without each part, in parts ever smaller; `fails` says whether a
// sequence still fails. The page's random runs shrink their sequences the same way
// (tests/browser/shrink.py).
template<typename T, typename Fails>
QList<T> shrunk(QList<T> items, Fails fails)
{
    qsizetype parts = 2;
    while (items.size() >= 2) {
        const qsizetype size = (items.size() + parts - 1) / parts;
        bool smaller = false;
        for (qsizetype from = 0; from < items.size() && !smaller; from += size) {
            const QList<T> part = items.mid(from, size);
            if (part.size() < items.size() && fails(part)) {
                items = part;
                parts = 2;
                smaller = true;
            }
        }
        for (qsizetype from = 0; from < items.size() && !smaller; from += size) {
            QList<T> rest = items;
            rest.remove(from, std::min(size, items.size() - from));
            if (fails(rest)) {
                items = rest;
                parts = std::max<qsizetype>(parts - 1, 2);
                smaller = true;
            }
        }
        if (!smaller) {
            if (parts >= items.size())
                break;
            parts = std::min(parts * 2, items.size());
        }
    }
    return items;
}
