#pragma once

#include <QList>

#include <algorithm>

namespace ListMerge {

// Three-way merge of a list whose items are identified by `key(item)`:
// `ours` is what this process made of `base`, `theirs` what another process
// stored meanwhile. Starts from `theirs`; an item this process removed goes,
// one it added is appended, one it changed replaces the stored one, unless
// the other process removed it, in which case the removal stands. Items with
// the same key: the first counts.
template <typename Item, typename Key>
QList<Item> byKey(const QList<Item>& base, const QList<Item>& ours, const QList<Item>& theirs,
                  Key key)
{
    if (theirs == base)
        return ours;
    const auto find = [&key](const QList<Item>& items, const auto& wanted) {
        return std::find_if(items.cbegin(), items.cend(),
                            [&](const Item& item) { return key(item) == wanted; });
    };
    QList<Item> merged = theirs;
    for (const Item& item : base) {
        if (find(ours, key(item)) == ours.cend())
            merged.removeIf([&](const Item& i) { return key(i) == key(item); });
    }
    for (const Item& item : ours) {
        const auto before = find(base, key(item));
        if (before != base.cend() && *before == item)
            continue; // not touched here
        const auto there = std::find_if(merged.begin(), merged.end(),
                                        [&](const Item& i) { return key(i) == key(item); });
        if (there != merged.end())
            *there = item;
        else if (before == base.cend())
            merged.append(item);
    }
    return merged;
}

} // namespace ListMerge
