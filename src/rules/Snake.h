#pragma once
// One snake on the playfield, steered by a player or by the program.
#include "platform/Int16.h"

#include <optional>
#include <vector>

namespace platform {
class Surface;
}

class Snake {
  public:
    using Int16 = platform::Int16;
    // One square of the body, in field coordinates.
    struct Segment {
        Int16 x = 0;
        Int16 y = 0;
        bool operator==(const Segment&) const = default;
    };

    Int16 dir = 0;           // direction code of the next step
    Int16 Colour = 0;        // sprite row 0..4
    bool IsComputer = false; // steered by the program
    Int16 Lives = 0;         // counts down only for the one-player human
    Int16 score = 0;         // points from apples: 1 green, 5 red

    // A new snake: 5 lives, a random colour unless given, `length` segments
    // stacked on (x, y) heading `direction`. Reseeds the random numbers from
    // the time of day first.
    void init(Int16 length, Int16 x, Int16 y, Int16 direction, std::optional<Int16> colour = std::nullopt);
    // Puts the snake back as `length` segments stacked on (x, y); lives,
    // colour and score stay.
    void Place(Int16 length, Int16 x, Int16 y, Int16 direction);
    // A turn; refused when it would put the head onto the neck, ignored for
    // codes that are no direction.
    void ChangeDirection(Int16 newDirection);
    // One step: steering (computers), the look-ahead that eats or crashes,
    // then the move. May run whole level or game-over sequences inside.
    void Move();
    // Draws the snake from the sprite sheet; `colour` overrides Colour.
    void Draw(platform::Surface& dest, const platform::Surface& sheet,
              std::optional<Int16> colour = std::nullopt) const;
    // Adds `length` segments on the tail's square, or removes -length.
    void grow(Int16 length);
    // Whether any segment lies on (x, y).
    bool UsesSquare(Int16 x, Int16 y) const;

    // Read access for drawing, tests and invariant checks.
    const std::vector<Segment>& body() const { return Body; }

  private:
    // Tests and benchmarks lay out bodies of any shape (tests/support/SnakeBody.h).
    friend struct SnakeBodyAccess;

    // Tests the square ahead and eats an apple there; true when blocked. False
    // also when eating started a new level or round: that step is over.
    bool CheckAhead();
    void Steer(); // computer steering, at the start of Move

    std::vector<Segment> Body; // head first; never shorter than 2
};
