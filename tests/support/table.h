#pragma once

#include <QtTest>

// addColumns<QString, int>("name", "count"): the columns of a data table in one line.
template <typename... T, typename... N> void addColumns(N... names)
{
    static_assert(sizeof...(T) == sizeof...(N), "one name per column");
    (QTest::addColumn<T>(names), ...);
}

// The current row's value in a column, for a value used once: row<QString>("name").
template <typename T> const T& row(const char* column)
{
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}
