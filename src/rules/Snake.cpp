#include "rules/Snake.h"

#include "platform/Random.h"
#include "rules/ModMain.h"
#include "rules/Sequences.h"

#include <cmath>
#include <cstdint>

using platform::Add16;

void Snake::init(Int16 length, Int16 x, Int16 y, Int16 direction, std::optional<Int16> colour)
{
    platform::RandomizeFromClock();
    Lives = 5;
    Colour = colour ? *colour : static_cast<Int16>(std::floor(platform::Rnd() * 5));
    Place(length, x, y, direction);
}

void Snake::Place(Int16 length, Int16 x, Int16 y, Int16 direction)
{
    Body.assign(static_cast<std::size_t>(length), Segment{x, y});
    dir = direction;
}

void Snake::ChangeDirection(Int16 newDirection)
{
    const Segment head = Body[0];
    const Segment neck = Body[1];
    bool refused = false;
    switch (newDirection) {
    case ModMain::DirUp: refused = neck.y == head.y - 1; break;
    case ModMain::DirLeft: refused = neck.x == head.x - 1; break;
    case ModMain::DirRight: refused = neck.x == head.x + 1; break;
    case ModMain::DirDown: refused = neck.y == head.y + 1; break;
    default: return;
    }
    if (!refused)
        dir = newDirection;
}

void Snake::Move()
{
    // Eating the last apple of the last level ends the game inside the
    // look-ahead. A game that ended during this step must not cost a life, a
    // restart or a second game over; a game over there ends the step.
    const bool wasRunning = ModMain::GameRunning;
    const bool wasOver = ModMain::GameIsOver();
    // A look-ahead that ate the last apple ran the next level in here, and
    // that has placed every snake and moved it once: this step is over, with
    // no second look from the new start square.
    const std::uint32_t round = ModMain::RoundsStarted;
    if (IsComputer)
        Steer();
    if (ModMain::RoundsStarted != round)
        return;
    const bool blocked = CheckAhead();
    if (ModMain::RoundsStarted != round || (!wasOver && ModMain::GameIsOver()))
        return;
    if (blocked) {
        if (ModMain::TwoPlayerGame() || IsComputer) {
            if (Body.size() > 2)
                grow(-1);
            return;
        }
        // Nor does a finished game, or a snake with no life left to lose.
        if ((wasRunning && !ModMain::GameRunning) || ModMain::GameIsOver() || Lives <= 0)
            return;
        Lives = Add16(Lives, -1);
        ModMain::UpdateLivesLabels();
        if (Lives == 0) {
            ModMain::GameOver();
        } else {
            ModMain::PlaySound(ModMain::SndDie);
            ModMain::RestartRound();
        }
        return;
    }
    // Body is read afresh: the look-ahead may have run whole sequences.
    Segment head = Body[0];
    switch (dir) {
    case ModMain::DirUp: --head.y; break;
    case ModMain::DirLeft: --head.x; break;
    case ModMain::DirRight: ++head.x; break;
    case ModMain::DirDown: ++head.y; break;
    default: return;
    }
    // Whatever handles events inside the look-ahead ends this step (a new
    // round, a game over), so this is the square it tested. Should that ever
    // change, a step still never goes off the field or into a wall.
    const bool onField = head.x >= 0 && head.y >= 0 && head.x < ModMain::FieldSize && head.y < ModMain::FieldSize;
    if (!onField || ModMain::Map[head.x][head.y] == ModMain::Wall)
        return;
    for (std::size_t i = Body.size() - 1; i > 0; --i)
        Body[i] = Body[i - 1];
    Body[0] = head;
}

void Snake::grow(Int16 length)
{
    const Int16 upper = static_cast<Int16>(Body.size() - 1);
    const Int16 newUpper = Add16(upper, length);
    if (length < 0) {
        Body.resize(static_cast<std::size_t>(newUpper) + 1);
        return;
    }
    const Segment tail = Body.back();
    Body.resize(static_cast<std::size_t>(newUpper) + 1, tail);
}

bool Snake::UsesSquare(Int16 x, Int16 y) const
{
    for (const Segment& s : Body) {
        if (s.x == x && s.y == y)
            return true;
    }
    return false;
}

bool Snake::CheckAhead()
{
    const std::uint32_t round = ModMain::RoundsStarted;
    const Segment head = Body[0];
    const Int16 step = dir < 0 ? -1 : 1;
    const bool horizontal = dir == ModMain::DirLeft || dir == ModMain::DirRight;
    const bool vertical = dir == ModMain::DirUp || dir == ModMain::DirDown;
    const Int16 nx = horizontal ? static_cast<Int16>(head.x + step) : head.x;
    const Int16 ny = vertical ? static_cast<Int16>(head.y + step) : head.y;
    if (nx == -1 || ny == -1 || nx == ModMain::FieldSize || ny == ModMain::FieldSize)
        return true;

    const std::uint8_t cell = ModMain::Map[nx][ny];
    if (cell == ModMain::Wall)
        return true;
    if (cell == ModMain::GreenApple) {
        ModMain::PlaySound(ModMain::SndApple);
        grow(2);
        ModMain::Map[nx][ny] = ModMain::Empty;
        ModMain::ApplesLeft = Add16(ModMain::ApplesLeft, -1);
        // Deliberately before the point is added (a red apple's come first):
        // eating the last apple runs the whole level-completed sequence in
        // here, and after the last level the game over and its top-score
        // check, all without this green apple's point. Keep the order.
        ModMain::UpdateApplesLabel();
        score = Add16(score, 1);
        ModMain::UpdateScoreLabels();
    } else if (cell == ModMain::RedApple) {
        ModMain::PlaySound(ModMain::SndApple);
        grow(6);
        ModMain::Map[nx][ny] = ModMain::Empty;
        ModMain::ApplesLeft = Add16(ModMain::ApplesLeft, -1);
        // Unlike a green apple, the points count before the apples label
        // may complete the level or end the game.
        score = Add16(score, 5);
        ModMain::UpdateApplesLabel();
        ModMain::UpdateScoreLabels();
    }
    // A new level or round while eating: the square worked out above is no
    // longer ahead of the re-placed snake. Nothing blocks; the step ends
    // (Move and the steering see the new round and look no further).
    if (ModMain::RoundsStarted != round)
        return false;
    return !ModMain::SquareIsFree(nx, ny, false);
}
