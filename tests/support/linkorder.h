// The two orders a folder listing can give a link and the real folder it leads to, as the rows of a data table
// (columns "link" and "real", the names of both in the tree): a walk must count the same either way.
#pragma once

#include <QtTest>

inline void addLinkOrderRows()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("real");
    QTest::newRow("link listed first") << "a-link"
                                       << "z-real";
    QTest::newRow("link listed last") << "z-link"
                                      << "a-real";
}
