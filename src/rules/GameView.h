#pragma once
// What the game engine asks of the main window. The window implements it;
// without a window (tests, benchmarks) a view that records or ignores serves.
#include <string>

namespace platform {
class Surface;
}

namespace ModMain {

enum class StatusLabel { Apple, Score1, Lives1, Score2, Lives2 };

class GameView {
  public:
    virtual ~GameView() = default;
    virtual void SetLabelText(StatusLabel label, const std::string& text) = 0;
    // The message label over the playfield ("Paused", "Game Over", ...).
    virtual void SetMessageCaption(const std::string& caption) = 0;
    virtual void SetMessageVisible(bool visible) = 0;
    virtual void SetPauseCaption(const std::string& caption) = 0;
    virtual void SetTitleVisible(bool visible) = 0;
    // Shows or hides player two's status rows.
    virtual void SetTwoPlayerLayout(bool twoPlayers) = 0;
    // Game over: New Game enabled, Abort Game disabled.
    virtual void SetMenusIdle() = 0;
    // Shows the composed frame at once (synchronously) at the client origin.
    virtual void PresentFrame(const platform::Surface& backBuffer) = 0;
    // The modal "All levels completed!" box; returns when it is closed.
    virtual void ShowAllLevelsCompleted() = 0;
    // The modal name prompt of a top score: the name as typed, or "" when
    // the player cancels.
    virtual std::string AskTopScoreName() = 0;
    // Opens the "Hall of Fame!" window unless it is open already.
    virtual void ShowHallOfFame() = 0;
};

// A view that ignores everything; a subclass overrides what it watches.
class QuietView : public GameView {
  public:
    void SetLabelText(StatusLabel, const std::string&) override {}
    void SetMessageCaption(const std::string&) override {}
    void SetMessageVisible(bool) override {}
    void SetPauseCaption(const std::string&) override {}
    void SetTitleVisible(bool) override {}
    void SetTwoPlayerLayout(bool) override {}
    void SetMenusIdle() override {}
    void PresentFrame(const platform::Surface&) override {}
    void ShowAllLevelsCompleted() override {}
    // Without a window nobody can answer: the score is not entered.
    std::string AskTopScoreName() override { return {}; }
    void ShowHallOfFame() override {}
};

// Installs the view (nullptr: a quiet view). Not owned.
void SetGameView(GameView* view);
GameView& View();

} // namespace ModMain
