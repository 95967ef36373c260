// SPDX-License-Identifier: GPL-3.0-or-later
// A data table's columns declared, and a row's values fetched, in one line.
#pragma once

#include <QTest>

#include <tuple>

namespace krumlix::test {

/// Declares a column of each type, named in order: columns<int, bool>("a", "b").
template <typename... T, typename... Name> void columns(Name... names) {
    (QTest::addColumn<T>(names), ...);
}

/// The current row's values of the named columns, for a structured binding:
/// const auto [a, b] = fetch<int, bool>("a", "b"); of one column, its value.
template <typename... T, typename... Name> auto fetch(Name... names) {
    if constexpr (sizeof...(T) == 1)
        return (*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>())), ...);
    else
        return std::tuple<T...>{*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>()))...};
}

} // namespace krumlix::test
