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
    struct Segment {
        Int16 x = 0;
        Int16 y = 0;
        bool operator==(const Segment&) const = default;
    };

    Int16 dir = 0;
    Int16 Colour = 0;
    bool IsComputer = false;
    Int16 Lives = 0;
    Int16 score = 0;

    void init(Int16 length, Int16 x, Int16 y, Int16 direction, std::optional<Int16> colour = std::nullopt);
    void Place(Int16 length, Int16 x, Int16 y, Int16 direction);
    void ChangeDirection(Int16 newDirection);
    void Move();
    void Draw(platform::Surface& dest, const platform::Surface& sheet, std::optional<Int16> colour = std::nullopt) const;
    void grow(Int16 length);
    bool UsesSquare(Int16 x, Int16 y) const;

    // Read access for drawing, tests and invariant checks.
    const std::vector<Segment>& body() const { return Body; }
    // Tests build bodies directly; head first.
    void setBodyForTest(std::vector<Segment> body) { Body = std::move(body); }

private:
    bool CheckAhead();
    void Steer(); // computer steering, at the start of Move

    std::vector<Segment> Body;
};
