// The whole-number zoom: the zoom a client area holds, and the one the window
// opens at on a screen.
#include "support/TableColumns.h"

#include "window/ClientArea.h"
#include "window/Zoom.h"

#include <QtTest>

class TestZoom : public QObject {
    Q_OBJECT

  private slots:
    void zoomIsTheLargestThatFits_data()
    {
        Columns<QSize, QSize, int>("room", "design", "zoom");
        const QSize one(330, 344), two(330, 388);
        QTest::newRow("exactly the design") << one << one << 1;
        QTest::newRow("a pixel short of zoom 2") << QSize(659, 688) << one << 1;
        QTest::newRow("exactly zoom 2") << QSize(660, 688) << one << 2;
        QTest::newRow("wide but short: height decides") << QSize(2000, 700) << one << 2;
        QTest::newRow("tall but narrow: width decides") << QSize(1000, 4000) << one << 3;
        QTest::newRow("smaller than the design stays 1") << QSize(200, 100) << one << 1;
        QTest::newRow("empty room stays 1") << QSize(0, 0) << one << 1;
        QTest::newRow("two players' rows at 1080 full screen") << QSize(1920, 1050) << two << 2;
        QTest::newRow("one player at 1080 full screen") << QSize(1920, 1050) << one << 3;
    }

    void zoomIsTheLargestThatFits()
    {
        const auto [room, design, zoom] = Fetch<QSize, QSize, int>("room", "design", "zoom");
        QCOMPARE(Zoom::ToFit(room, design), zoom);
        // Centred, with the leftover split evenly.
        const QPoint at = Zoom::Centred(room, design, zoom);
        QVERIFY(at.x() >= 0 && at.y() >= 0);
        if (room.width() >= design.width() * zoom)
            QVERIFY(qAbs(room.width() - design.width() * zoom - 2 * at.x()) <= 1);
    }

    void windowOpensAtTheLargestZoomIn80PercentOfTheScreen_data()
    {
        Columns<QSize, int>("available", "zoom");
        // Free areas as desktops leave them: a panel of 30 to 48 pixels.
        QTest::newRow("1024 x 768") << QSize(1024, 738) << 1;
        QTest::newRow("1366 x 768") << QSize(1366, 738) << 1;
        QTest::newRow("1920 x 1080") << QSize(1920, 1050) << 2;
        QTest::newRow("1920 x 1080, no panel") << QSize(1920, 1080) << 2;
        QTest::newRow("2560 x 1440") << QSize(2560, 1400) << 3;
        QTest::newRow("3840 x 2160") << QSize(3840, 2112) << 4;
        QTest::newRow("smaller than the window") << QSize(640, 400) << 1;
        // 80 % of 825 x 898 leaves exactly 660 x (688 + 30).
        QTest::newRow("zoom 2 just fits") << QSize(825, 898) << 2;
        QTest::newRow("a pixel less") << QSize(825, 897) << 1;
    }

    void windowOpensAtTheLargestZoomIn80PercentOfTheScreen()
    {
        const auto [available, zoom] = Fetch<QSize, int>("available", "zoom");
        const QSize design(ClientArea::Width, ClientArea::OnePlayerHeight);
        QCOMPARE(Zoom::AtStart(available, design, 30), zoom);
    }
};

QTEST_GUILESS_MAIN(TestZoom)
#include "test_zoom.moc"
