// Whole frames: what RenderFrame leaves in the back buffer for a known game
// state, read back square by square against the tile strip and sprite sheet.
#include "support/DataRows.h"
#include "support/RecordingView.h"
#include "support/TableColumns.h"
#include "support/TimerBarRows.h"

#include "platform/Surface.h"
#include "render/RenderFrame.h"
#include "render/SpriteTiles.h"
#include "rules/GameView.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "support/SnakeBody.h"

#include <QtTest>

#include <memory>

using platform::Surface;
using Body = std::vector<Snake::Segment>;
using Probes = std::vector<std::array<int, 3>>; // x, y, tile
using namespace SpriteTiles;

namespace {

const QRgb White = qRgb(255, 255, 255);

std::shared_ptr<Snake> MakeSnake(Body body, int colour)
{
    auto snake = std::make_shared<Snake>();
    snake->Colour = static_cast<Snake::Int16>(colour);
    SetSnakeBody(*snake, std::move(body));
    return snake;
}

// Square (x, y) of the frame equals the 10 x 10 block at (sx, sy) of src.
bool SquareEquals(const Surface& frame, int x, int y, const Surface& src, int sx, int sy)
{
    for (int dy = 0; dy < 10; ++dy) {
        for (int dx = 0; dx < 10; ++dx) {
            if (frame.Pixel(x * 10 + dx, y * 10 + dy) != src.Pixel(sx + dx, sy + dy))
                return false;
        }
    }
    return true;
}

// Which tile of sheet row `row` square (x, y) shows, or -1.
int SpriteAt(int x, int y, int row)
{
    for (int t = 0; t < 14; ++t) {
        if (SquareEquals(Render::BackBuffer(), x, y, Render::Picture1(), t * 10, row * 10))
            return t;
    }
    return -1;
}

bool SquareIsWhite(int x, int y)
{
    static const Surface white(10, 10); // a new surface is white
    return SquareEquals(Render::BackBuffer(), x, y, white, 0, 0);
}

} // namespace

class TestRenderFrame : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QCOMPARE(Render::BackBuffer().width(), Render::FrameWidth);
        QCOMPARE(Render::BackBuffer().height(), Render::FrameHeight);
    }

    void init()
    {
        ModMain::ResetState();
        view.reset(); // before the next one installs itself
        shown = {};
        view = std::make_unique<RecordingView>();
        view->onPresentFrame = [this] { shown = view->presented->image().copy(); };
        platform::ResetBitBltCount();
    }

    void cleanup()
    {
        view.reset();
        ModMain::ResetState();
    }

    // Precondition of the square probes: within a row, no two tiles are alike.
    void sheetTilesAreAllDifferent()
    {
        for (int row = 0; row < 5; ++row) {
            for (int t = 0; t < 14; ++t) {
                platform::BitBlt(Render::BackBuffer(), 0, 0, 10, 10, Render::Picture1(), t * 10, row * 10);
                QCOMPARE(SpriteAt(0, 0, row), t);
            }
        }
    }

    void snakeOnDistinctSquaresMakesOneCopyPerSegment_data()
    {
        // tiles: per segment, head first
        Columns<Body, std::vector<int>>("body", "tiles");
        AddRow("two segments moving right", Body{{6, 5}, {5, 5}}, std::vector<int>{HeadRight, TailLeft});
        AddRow("bend right to down", Body{{6, 6}, {6, 5}, {5, 5}, {4, 5}},
               std::vector<int>{HeadDown, CornerLeftDown, Horizontal, TailLeft});
        AddRow("hook up and left", Body{{1, 0}, {0, 0}, {0, 1}, {0, 2}, {1, 2}},
               std::vector<int>{HeadRight, CornerRightDown, Vertical, CornerUpRight, TailRight});
        AddRow("at the far corner", Body{{29, 29}, {29, 28}, {28, 28}},
               std::vector<int>{HeadDown, CornerLeftDown, TailLeft});
    }

    // n segments on n squares: exactly n copies, each square showing its tile.
    void snakeOnDistinctSquaresMakesOneCopyPerSegment()
    {
        const auto [body, tiles] = Fetch<Body, std::vector<int>>("body", "tiles");
        Render::BackBuffer().Clear();
        const auto snake = MakeSnake(body, 2);
        snake->Draw(Render::BackBuffer(), Render::Picture1());
        QCOMPARE(platform::BitBltCount(), body.size());
        for (std::size_t i = 0; i < body.size(); ++i)
            QCOMPARE(SpriteAt(body[i].x, body[i].y, 2), tiles[i]);
    }

    void stackedSnakeShowsHeadDownWhateverItsDirection_data()
    {
        Columns<int>("dir");
        AddRow("up", int(ModMain::DirUp));
        AddRow("left", int(ModMain::DirLeft));
        AddRow("right", int(ModMain::DirRight));
        AddRow("down", int(ModMain::DirDown));
    }

    // Just after init every segment shares one square: HeadDown shows there.
    void stackedSnakeShowsHeadDownWhateverItsDirection()
    {
        const auto [dir] = Fetch<int>("dir");
        auto snake = std::make_shared<Snake>();
        snake->init(5, 12, 7, static_cast<Snake::Int16>(dir), Snake::Int16{1});
        ModMain::Snakes = {snake};
        Render::RenderFrame();
        QCOMPARE(SpriteAt(12, 7, 1), int{HeadDown});
    }

    void squaresShowTheirSnakesTiles_data()
    {
        Columns<Body, int, Probes>("body", "colour", "probes");
        // The head looks up; the tail below, still stacked, points up.
        AddRow("one step up from a stack", Body{{10, 9}, {10, 10}, {10, 10}, {10, 10}}, 0,
               Probes{{10, 9, HeadUp}, {10, 10, TailDown}});
        // Body, head, tail: the tail's tile is the one seen.
        AddRow("a ring brings the head onto the tail's square", Body{{5, 5}, {5, 4}, {6, 4}, {6, 5}, {5, 5}}, 4,
               Probes{{5, 5, TailLeft}});
        // Colour 3 copies its tiles from pixel rows 30..39 of the sheet.
        AddRow("colour 3", Body{{6, 5}, {5, 5}}, 3, Probes{{6, 5, HeadRight}, {5, 5, TailLeft}});
    }

    // Each probed square shows the tile of the snake's colour row.
    void squaresShowTheirSnakesTiles()
    {
        const auto [body, colour, probes] = Fetch<Body, int, Probes>("body", "colour", "probes");
        ModMain::Snakes = {MakeSnake(body, colour)};
        Render::RenderFrame();
        for (const auto& [x, y, tile] : probes)
            QCOMPARE(SpriteAt(x, y, colour), tile);
    }

    // An explicit colour wins over the snake's own.
    void colourArgumentOverridesSnakeColour()
    {
        Render::BackBuffer().Clear();
        MakeSnake({{6, 5}, {5, 5}}, 0)->Draw(Render::BackBuffer(), Render::Picture1(), Snake::Int16{4});
        QCOMPARE(SpriteAt(6, 5, 4), int{HeadRight});
    }

    // A colour with no sheet row copies nothing rather than reading outside it.
    void colourWithoutSheetRowDrawsNothing()
    {
        ModMain::Snakes = {MakeSnake({{6, 5}, {5, 5}}, 7)};
        ModMain::ComSnakesOn = true;
        ModMain::ComSnakes = {MakeSnake({{8, 5}, {9, 5}}, -1)};
        Render::RenderFrame();
        for (const int x : {5, 6, 8, 9})
            QVERIFY(SquareIsWhite(x, 5));
    }

    void mapCellsDrawTheirStripTiles_data()
    {
        Columns<int, int>("code", "tile");
        AddRow("wall", 1, 0);
        AddRow("green apple", 2, 1);
        AddRow("red apple", 3, 2);
    }

    // A map cell with code k shows strip tile k - 1 on its square.
    void mapCellsDrawTheirStripTiles()
    {
        const auto [code, tile] = Fetch<int, int>("code", "tile");
        ModMain::Map[3][17] = static_cast<std::uint8_t>(code);
        Render::RenderFrame();
        QCOMPARE(platform::BitBltCount(), 1u);
        QVERIFY(SquareEquals(Render::BackBuffer(), 3, 17, Render::PicMap(), tile * 10, 0));
        QVERIFY(SquareIsWhite(17, 3)); // [x][y], not [y][x]
    }

    // 900 wall cells: 900 copies of the wall tile; row and column 30 never drawn.
    void fullWallMapDrawsNineHundredTiles()
    {
        for (auto& column : ModMain::Map)
            column.fill(ModMain::Wall);
        Render::RenderFrame();
        QCOMPARE(platform::BitBltCount(), 900u);
        for (int x = 0; x < 30; ++x) {
            for (int y = 0; y < 30; ++y)
                QVERIFY(SquareEquals(Render::BackBuffer(), x, y, Render::PicMap(), 0, 0));
        }
    }

    // No walls, apples or snakes: the whole 300 x 300 field is white.
    void emptyMapGivesWhiteField()
    {
        Render::RenderFrame();
        QCOMPARE(platform::BitBltCount(), 0u);
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 300; ++x)
                QCOMPARE(Render::BackBuffer().Pixel(x, y), White);
        }
    }

    void laterSnakeInDrawingOrderCoversEarlier_data()
    {
        // winner: colour seen on the shared square
        Columns<int, int, bool, int>("players", "computers", "comOn", "winner");
        // Snake colours: player one 0, player two 1, computers 2, 3, ...
        AddRow("player two over player one", 2, 0, false, 1);
        AddRow("computer over player one", 1, 1, true, 2);
        AddRow("computer over both players", 2, 1, true, 2);
        AddRow("second computer over first", 1, 2, true, 3);
        AddRow("computers switched off are not drawn", 1, 2, false, 0);
    }

    // Player one, then player two, then computers by index (only while
    // ComSnakesOn, whatever ComSnakes holds): the last one drawn on a square
    // is the one seen there.
    void laterSnakeInDrawingOrderCoversEarlier()
    {
        const auto [players, computers, comOn, winner] =
            Fetch<int, int, bool, int>("players", "computers", "comOn", "winner");
        for (int i = 0; i < players; ++i)
            ModMain::Snakes.push_back(MakeSnake({{6, 5}, {5, 5}}, i));
        for (int i = 0; i < computers; ++i)
            ModMain::ComSnakes.push_back(MakeSnake({{6, 5}, {5, 5}}, 2 + i));
        ModMain::ComSnakesOn = comOn;
        Render::RenderFrame();
        QCOMPARE(SpriteAt(6, 5, winner), 12);
        QCOMPARE(platform::BitBltCount(), std::uint64_t(2 * (players + (comOn ? computers : 0))));
    }

    // Between games the lists are empty while ComSnakesOn may stay true.
    void emptyOrReleasedSnakeListsDrawNothing()
    {
        ModMain::ComSnakesOn = true;
        Render::RenderFrame();
        ModMain::Snakes = {nullptr};
        ModMain::ComSnakes = {nullptr, MakeSnake({{6, 5}, {5, 5}}, 2)};
        Render::RenderFrame();
        QCOMPARE(view->frames, 2);
        QCOMPARE(SpriteAt(6, 5, 2), 12);
    }

    void timerBarFillsFromTopToBottomRow_data() { AddTimerBarRows(); }

    // Columns 300..329 are the bar's colour from row top down, white above.
    void timerBarFillsFromTopToBottomRow()
    {
        const auto [v, top, red, green] = Fetch<double, int, int, int>("v", "top", "red", "green");
        const QRgb colour = qRgb(red, green, 0);
        ModMain::AppleTimer = v;
        Render::RenderFrame();
        for (int y = 0; y < 300; ++y) {
            for (int x = 300; x < 330; ++x)
                QCOMPARE(Render::BackBuffer().Pixel(x, y), y >= top ? colour : White);
        }
        QCOMPARE(Render::BackBuffer().Pixel(299, 299), White);
    }

    // Every RenderFrame hands the finished frame (snakes and bar included) to
    // the view exactly once, always from the same back buffer.
    void eachFrameIsPresentedOnceWhenFinished()
    {
        ModMain::Snakes = {MakeSnake({{6, 5}, {5, 5}}, 1)};
        ModMain::AppleTimer = 50;
        const uchar* const pixels = Render::BackBuffer().image().constBits();
        Render::RenderFrame();
        QCOMPARE(view->frames, 1);
        QCOMPARE(view->presented, &Render::BackBuffer());
        QCOMPARE(shown.size(), QSize(330, 300));
        QCOMPARE(shown.pixel(300, 299), qRgb(128, 128, 0));
        QCOMPARE(shown.pixel(65, 55), Render::Picture1().Pixel(125, 15));
        Render::RenderFrame();
        QCOMPARE(view->frames, 2);
        QCOMPARE(Render::BackBuffer().image().constBits(), pixels);
    }

    // Nothing of the last frame survives into the next one.
    void previousFrameIsClearedFirst()
    {
        ModMain::Map[4][4] = ModMain::Wall;
        ModMain::Snakes = {MakeSnake({{6, 5}, {5, 5}}, 1)};
        ModMain::AppleTimer = 0;
        Render::RenderFrame();
        ModMain::ResetState();
        ModMain::AppleTimer = 90;
        Render::RenderFrame();
        QVERIFY(SquareIsWhite(4, 4));
        QVERIFY(SquareIsWhite(6, 5));
        QCOMPARE(Render::BackBuffer().Pixel(310, 100), White);
    }

  private:
    std::unique_ptr<RecordingView> view;
    QImage shown; // a deep copy of the last frame presented
};

QTEST_MAIN(TestRenderFrame)
#include "test_render_frame.moc"
