#pragma once
// Data tables with one line for the columns and one for the fetch: the
// columns are declared together, and the current row comes back as a tuple
// for a structured binding.
#include <QtTest>

#include <tuple>

// Columns<int, bool>("x", "free") declares the columns x (an int) and free.
template <typename... T, typename... Names> void Columns(const Names&... names)
{
    static_assert(sizeof...(T) == sizeof...(Names), "one name per column");
    (QTest::addColumn<T>(names), ...);
}

// const auto [x, free] = Fetch<int, bool>("x", "free"): QFETCH for several
// columns, with the same checks of name and type.
template <typename... T, typename... Names> std::tuple<T...> Fetch(const Names&... names)
{
    static_assert(sizeof...(T) == sizeof...(Names), "one name per column");
    return {*static_cast<T*>(QTest::qData(names, qMetaTypeId<T>()))...};
}
