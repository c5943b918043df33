// Surfaces, the block copy and the apple-timer bar's arithmetic.
#include "support/TimerBarRows.h"

#include "platform/Surface.h"
#include "render/RenderFrame.h"

#include <QRandomGenerator>
#include <QtTest>

#include <limits>
#include <vector>

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

// One drawing call of a frame: a fill, or a copy from `source` (or from the
// surface itself).
struct DrawOp {
    int x = 0, y = 0, w = 0, h = 0, sx = 0, sy = 0;
    QRgb colour = 0;
    bool fill = true, itself = false;

    void apply(Surface& s, const Surface& source) const
    {
        if (fill)
            s.FillRect(x, y, w, h, colour);
        else
            BitBlt(s, x, y, w, h, itself ? s : source, sx, sy);
    }
};

enum class DrawKind { Tiles, Unaligned, Itself, Sliding };

// Tiles land on whole 10 x 10 blocks, as the game draws; the others go
// anywhere, across block and surface edges.
DrawOp RandomOp(QRandomGenerator& rng, DrawKind kind)
{
    DrawOp op;
    op.fill = rng.bounded(3) == 0;
    op.colour = qRgb(rng.bounded(256), rng.bounded(256), 0);
    if (kind == DrawKind::Tiles) {
        op.x = rng.bounded(33) * 10;
        op.y = rng.bounded(30) * 10;
        op.w = op.h = 10;
        op.sx = rng.bounded(6) * 10;
        op.sy = rng.bounded(4) * 10;
        return op;
    }
    // Half on a 5-pixel grid, where copies shifted by half a block meet.
    const int step = rng.bounded(2) ? 5 : 1;
    op.x = rng.bounded(-20 / step, 340 / step) * step;
    op.y = rng.bounded(-20 / step, 310 / step) * step;
    op.w = rng.bounded(1, 45 / step) * step;
    op.h = rng.bounded(1, 45 / step) * step;
    op.sx = rng.bounded(-5 / step, 60 / step) * step;
    op.sy = rng.bounded(-5 / step, 40 / step) * step;
    op.itself = kind == DrawKind::Itself && !op.fill && rng.bounded(4) == 0;
    return op;
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

    void drawFrameMatchesAPlainDraw_data()
    {
        QTest::addColumn<int>("kindNumber");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("clears"); // each frame starts by clearing the surface
        const QSize frame(330, 300);
        QTest::newRow("tiles on the squares") << int(DrawKind::Tiles) << 1u << frame << true;
        QTest::newRow("tiles, another run") << int(DrawKind::Tiles) << 2u << frame << true;
        QTest::newRow("anywhere, across edges") << int(DrawKind::Unaligned) << 3u << frame << true;
        QTest::newRow("anywhere, another run") << int(DrawKind::Unaligned) << 4u << frame << true;
        QTest::newRow("copies onto itself") << int(DrawKind::Itself) << 5u << frame << true;
        QTest::newRow("a copy sliding by half a square") << int(DrawKind::Sliding) << 6u << frame << true;
        QTest::newRow("part blocks at the right and bottom")
            << int(DrawKind::Unaligned) << 7u << QSize(125, 73) << true;
        QTest::newRow("no clear first") << int(DrawKind::Unaligned) << 8u << frame << false;
    }

    // Frames drawn block by block end with the pixels of a plain draw, frame
    // after frame, with writes between frames too; every block whose pixels
    // changed was drawn, and a repeated frame of tiles draws none.
    void drawFrameMatchesAPlainDraw()
    {
        QFETCH(int, kindNumber);
        const auto kind = static_cast<DrawKind>(kindNumber);
        QFETCH(quint32, seed);
        QFETCH(QSize, size);
        QFETCH(bool, clears);
        QRandomGenerator rng(seed);
        const Surface source = Numbered(60, 40);
        Surface framed(size.width(), size.height()), plain(size.width(), size.height());
        std::vector<DrawOp> ops(kind == DrawKind::Sliding ? 1 : 60);
        for (DrawOp& op : ops)
            op = RandomOp(rng, kind);
        const auto draw = [&](Surface& s) {
            if (clears)
                s.Clear(qRgb(255, 255, 255));
            for (const DrawOp& op : ops)
                op.apply(s, source);
        };
        for (int frame = 0; frame < 40; ++frame) {
            const bool repeated = frame % 5 == 4;
            const bool writtenBetween = frame % 7 == 3;
            if (kind == DrawKind::Sliding) {
                // Where it covers a whole square, its record there stays alike.
                ops[0] = {5 * frame, 50, 20, 10, 0, 0, 0, false, false};
            } else if (!repeated) {
                for (int i = 0; i < 3; ++i)
                    ops[rng.bounded(static_cast<quint32>(ops.size()))] = RandomOp(rng, kind);
            }
            if (writtenBetween) {
                const DrawOp between = RandomOp(rng, DrawKind::Unaligned);
                between.apply(framed, source);
                between.apply(plain, source);
            }
            const QImage before = framed.image().copy();
            framed.DrawFrame([&] { draw(framed); });
            draw(plain);
            QCOMPARE(framed.image(), plain.image());

            const std::vector<std::uint64_t>& drawn = framed.Frames()->Changed();
            for (int by = 0; by * 10 < size.height(); ++by) {
                for (int bx = 0; bx * 10 < size.width(); ++bx) {
                    const bool wasDrawn = (drawn[static_cast<std::size_t>(by)] >> bx) & 1;
                    if (repeated && !writtenBetween && kind == DrawKind::Tiles)
                        QVERIFY2(!wasDrawn,
                                 qPrintable(QStringLiteral("frame %1 block %2,%3").arg(frame).arg(bx).arg(by)));
                    if (before.copy(bx * 10, by * 10, 10, 10) != framed.image().copy(bx * 10, by * 10, 10, 10))
                        QVERIFY2(wasDrawn,
                                 qPrintable(QStringLiteral("frame %1 block %2,%3").arg(frame).arg(bx).arg(by)));
                }
            }
        }
    }

    // A frame that leaves a block alone keeps the pixels the last frame drew
    // there, whatever the frames before drew.
    void blockAFrameLeavesAloneKeepsItsPixels()
    {
        Surface s(20, 10);
        const auto frame = [&s](QRgb left) {
            s.DrawFrame([&] {
                if (left != 0)
                    s.FillRect(0, 0, 10, 10, left);
                s.FillRect(10, 0, 10, 10, qRgb(0, 0, 255));
            });
        };
        frame(qRgb(255, 0, 0));
        frame(qRgb(0, 255, 0));
        frame(0);
        QCOMPARE(s.Pixel(5, 5), qRgb(0, 255, 0));
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
