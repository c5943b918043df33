#pragma once
// A data row on one line: streamed one by one, neighbouring string literals
// are laid out one a line.
#include <QTest>

template <typename... Values> void AddRow(const char* tag, const Values&... values)
{
    (QTest::newRow(tag) << ... << values);
}
