#include "support/TimerBarRows.h"

#include <QTest>

#include <cmath>

void AddTimerBarRows()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::newRow("fresh timer") << 0.0 << 0 << 0 << 255;
    QTest::newRow("one tick") << 0.4 << 1 << 1 << 254;
    QTest::newRow("half, 127.5 rounds to even 128") << 50.0 << 150 << 128 << 128;
    QTest::newRow("one third") << 100.0 / 3 << 100 << 85 << 170;
    QTest::newRow("last tick before refill") << 99.6 << 298 << 254 << 1;
    QTest::newRow("negative drawn as 0") << -3.0 << 0 << 0 << 255;
    QTest::newRow("not a number drawn as 0") << std::nan("") << 0 << 0 << 255;
    QTest::newRow("past 100 drawn as 100") << 250.0 << 300 << 255 << 0;
}
