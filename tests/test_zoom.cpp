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

    void rowsChangeAtTheZoomTheScreenHolds_data()
    {
        Columns<QSize, int, int, int, QSize, int, QSize>("client", "was", "rows", "wanted", "room", "zoom", "after");
        const QSize at1080(1910, 1040), at1440(2550, 1400);
        QTest::newRow("two players at zoom 1") << QSize(330, 344) << 344 << 388 << 1 << at1080 << 1 << QSize(330, 388);
        QTest::newRow("two players at zoom 2") << QSize(660, 688) << 344 << 388 << 2 << at1080 << 2 << QSize(660, 776);
        QTest::newRow("zoom 3 too tall at 1080")
            << QSize(990, 1032) << 344 << 388 << 3 << at1080 << 2 << QSize(660, 776);
        QTest::newRow("zoom 3 on a taller screen")
            << QSize(990, 1032) << 344 << 388 << 3 << at1440 << 3 << QSize(990, 1164);
        QTest::newRow("the zoom given up comes back")
            << QSize(660, 776) << 388 << 344 << 3 << at1080 << 3 << QSize(990, 1032);
        QTest::newRow("the player's white stays")
            << QSize(700, 800) << 344 << 388 << 2 << at1080 << 2 << QSize(700, 888);
        QTest::newRow("fewer rows never zoom less, even past the screen")
            << QSize(990, 1164) << 388 << 344 << 3 << QSize(1000, 900) << 3 << QSize(990, 1032);
        QTest::newRow("no room: the zoom that grows it least")
            << QSize(990, 1032) << 344 << 388 << 3 << QSize(300, 300) << 2 << QSize(660, 776);
    }

    // A window sized by the player gains or loses the rows at its zoom, but
    // never grows off the screen for them: then it zooms less.
    void rowsChangeAtTheZoomTheScreenHolds()
    {
        const auto [client, was, rows, wanted, room, zoom, after] =
            Fetch<QSize, int, int, int, QSize, int, QSize>("client", "was", "rows", "wanted", "room", "zoom", "after");
        const QSize from(ClientArea::Width, was), to(ClientArea::Width, rows);
        QCOMPARE(Zoom::AfterDesignChange(client, from, to, wanted, room), zoom);
        const QSize regrown = Zoom::Regrown(client, from, Zoom::ToFit(client, from), to, zoom);
        QCOMPARE(regrown, after);
        QCOMPARE(Zoom::ToFit(regrown, to), zoom);
    }
};

QTEST_GUILESS_MAIN(TestZoom)
#include "test_zoom.moc"
