// Surfaces, the block copy and the apple-timer bar's arithmetic.
#include "support/TimerBarRows.h"

#include "platform/Surface.h"
#include "render/RenderFrame.h"

#include <QtTest>

#include <limits>

using platform::BitBlt;
using platform::Surface;

namespace {

const QRgb White = qRgb(255, 255, 255);

// A surface whose every pixel is different: (x, y) holds rgb(x, y, 7).
Surface Numbered(int w, int h)
{
    Surface s(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s.FillRect(x, y, 1, 1, qRgb(x, y, 7));
    }
    return s;
}

} // namespace

class TestSurface : public QObject {
    Q_OBJECT

  private slots:
    // Surfaces start white.
    void newSurfaceIsWhite()
    {
        const Surface s(12, 7);
        QCOMPARE(s.width(), 12);
        QCOMPARE(s.height(), 7);
        QCOMPARE(s.image().format(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 12; ++x)
                QCOMPARE(s.Pixel(x, y), White);
        }
    }

    // A copy moves exactly w x h pixels from (sx, sy) to (x, y), nothing around.
    void bitBltCopiesTheBlockExactly()
    {
        const Surface src = Numbered(40, 20);
        Surface dest(30, 30);
        BitBlt(dest, 5, 6, 10, 10, src, 20, 3);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                const bool inside = x >= 5 && x < 15 && y >= 6 && y < 16;
                QCOMPARE(dest.Pixel(x, y), inside ? qRgb(x - 5 + 20, y - 6 + 3, 7) : White);
            }
        }
    }

    void bitBltClipsToBothSurfaces_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        QTest::newRow("past dest right and bottom") << 15 << 15 << 10 << 10 << 0 << 0;
        QTest::newRow("left of and above dest") << -4 << -3 << 10 << 10 << 5 << 5;
        QTest::newRow("past source right and bottom") << 0 << 0 << 10 << 10 << 25 << 15;
        QTest::newRow("left of and above source") << 5 << 5 << 10 << 10 << -3 << -6;
        QTest::newRow("wholly outside dest") << 40 << 0 << 10 << 10 << 0 << 0;
        QTest::newRow("zero width") << 0 << 0 << 0 << 10 << 0 << 0;
        QTest::newRow("negative height") << 0 << 0 << 10 << -5 << 0 << 0;
        QTest::newRow("huge block") << 0 << 0 << std::numeric_limits<int>::max() << 1000000 << 0 << 0;
    }

    // Only pixels that exist in both surfaces are copied; every pixel lands where
    // the unclipped copy would have put it; nothing crashes.
    void bitBltClipsToBothSurfaces()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, sx);
        QFETCH(int, sy);
        const Surface src = Numbered(30, 20);
        Surface dest(20, 20);
        BitBlt(dest, x, y, w, h, src, sx, sy);
        for (int dy = 0; dy < 20; ++dy) {
            for (int dx = 0; dx < 20; ++dx) {
                const int fx = sx + dx - x, fy = sy + dy - y; // source pixel for this destination
                const bool copied = dx >= x && dy >= y && static_cast<long long>(dx) < static_cast<long long>(x) + w &&
                                    static_cast<long long>(dy) < static_cast<long long>(y) + h && fx >= 0 && fy >= 0 &&
                                    fx < 30 && fy < 20;
                QCOMPARE(dest.Pixel(dx, dy), copied ? qRgb(fx, fy, 7) : White);
            }
        }
    }

    void bitBltWithinOneSurfaceOverlapping_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("down right") << 3 << 2;
        QTest::newRow("up left") << -3 << -2;
        QTest::newRow("right only") << 4 << 0;
        QTest::newRow("down only") << 0 << 1;
    }

    // A copy within one surface gives the same result as from a separate copy
    // of it, even when source and destination overlap.
    void bitBltWithinOneSurfaceOverlapping()
    {
        QFETCH(int, dx);
        QFETCH(int, dy);
        Surface s = Numbered(20, 20);
        const Surface reference = Numbered(20, 20);
        Surface expected = Numbered(20, 20);
        BitBlt(expected, 5 + dx, 5 + dy, 8, 8, reference, 5, 5);
        BitBlt(s, 5 + dx, 5 + dy, 8, 8, s, 5, 5);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x)
                QCOMPARE(s.Pixel(x, y), expected.Pixel(x, y));
        }
    }

    // Drawing writes into the surface's own pixels: no copy-on-write detach.
    void drawingNeverDetachesThePixels()
    {
        Surface dest(50, 50);
        const Surface src = Numbered(20, 20);
        const uchar* const before = dest.image().constBits();
        BitBlt(dest, 0, 0, 10, 10, src, 0, 0);
        dest.FillRect(1, 1, 5, 5, qRgb(1, 2, 3));
        dest.Clear();
        QCOMPARE(dest.image().constBits(), before);
        QVERIFY(dest.image().isDetached());
        // A deep copy taken for display leaves the surface unshared.
        const QImage shown = dest.image().copy();
        BitBlt(dest, 0, 0, 10, 10, src, 0, 0);
        QCOMPARE(dest.image().constBits(), before);
        QCOMPARE(shown.pixel(0, 0), White);
    }

    // FillRect touches only the part of the rectangle that lies on the surface.
    void fillRectClipsHugeAndNegativeRectangles()
    {
        Surface s(10, 10);
        s.FillRect(-5, 8, std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), qRgb(9, 9, 9));
        s.FillRect(3, 3, -2, 4, qRgb(1, 1, 1));
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x)
                QCOMPARE(s.Pixel(x, y), y >= 8 ? qRgb(9, 9, 9) : White);
        }
    }

    // Reading outside the surface gives 0, never a real (opaque) colour.
    void pixelOutsideSurfaceIsZero()
    {
        const Surface s(4, 4);
        QCOMPARE(s.Pixel(-1, 0), QRgb(0));
        QCOMPARE(s.Pixel(0, 4), QRgb(0));
        QCOMPARE(s.Pixel(4, 0), QRgb(0));
    }

    // A picture that cannot be read is reported and replaced by white.
    void missingPictureLoadsWhite()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not be read"));
        const Surface s = Surface::Load(":/assets/no-such-picture.png", 33, 11);
        QCOMPARE(s.width(), 33);
        QCOMPARE(s.height(), 11);
        QCOMPARE(s.Pixel(32, 10), White);
    }

    // A picture of the wrong size keeps the surface size the game expects.
    void picturesOfOtherSizeAreCroppedOrPadded()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("expected 20 x 20"));
        const Surface s = Surface::Load(":/assets/tiles.png", 20, 20);
        QCOMPARE(s.width(), 20);
        QCOMPARE(s.height(), 20);
        QCOMPARE(s.Pixel(0, 0), qRgb(0, 0, 0)); // the wall tile's corner
        QCOMPARE(s.Pixel(5, 15), White);        // padding below the 10-pixel strip
    }

    void timerBarTopAndColour_data() { AddTimerBarRows(); }

    // top = floor(3v); red and green scale with v and round halves to even.
    void timerBarTopAndColour()
    {
        QFETCH(double, v);
        QFETCH(int, top);
        QFETCH(int, red);
        QFETCH(int, green);
        const Render::TimerBar bar = Render::AppleTimerBar(v);
        QCOMPARE(bar.top, top);
        QCOMPARE(qRed(bar.colour), red);
        QCOMPARE(qGreen(bar.colour), green);
        QCOMPARE(qBlue(bar.colour), 0);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
