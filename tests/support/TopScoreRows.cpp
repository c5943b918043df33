#include "support/TopScoreRows.h"

#include <QTest>

void AddTopScoreRuleRows()
{
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("score");
    QTest::addColumn<bool>("enters");
    QTest::newRow("0 against an empty table") << 0 << 0 << false;
    QTest::newRow("1 against an empty table") << 0 << 1 << true;
    QTest::newRow("below zero against empty") << 0 << -1 << false;
    QTest::newRow("equal does not enter") << 40 << 40 << false;
    QTest::newRow("one more enters") << 40 << 41 << true;
    QTest::newRow("one less does not enter") << 40 << 39 << false;
    QTest::newRow("negative equal") << -3 << -3 << false;
    QTest::newRow("negative lowest, higher negative") << -3 << -2 << true;
    QTest::newRow("largest against next") << 32766 << 32767 << true;
}
