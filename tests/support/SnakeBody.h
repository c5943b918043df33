#pragma once
// Snakes of any shape for tests and benchmarks: the game itself only ever
// stacks a new body on one square and grows it step by step.
#include "rules/Snake.h"

#include <utility>
#include <vector>

struct SnakeBodyAccess {
    static void Set(Snake& snake, std::vector<Snake::Segment> body) { snake.Body = std::move(body); }
};

// Replaces the snake's body; head first.
inline void SetSnakeBody(Snake& snake, std::vector<Snake::Segment> body)
{
    SnakeBodyAccess::Set(snake, std::move(body));
}
