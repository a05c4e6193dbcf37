#pragma once

#include <QtTest>

// addColumns<QString, int>("name", "count"): the columns of a data table in one line.
template <typename... T, typename... N> void addColumns(N... names)
{
    static_assert(sizeof...(T) == sizeof...(N), "one name per column");
    (QTest::addColumn<T>(names), ...);
}
