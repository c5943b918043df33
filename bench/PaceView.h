#pragma once
// The view pace_driver puts in front of the real window: it forwards
// everything, timestamps every frame shown (one per pass of the main loop)
// and keeps the human snakes going round their squares.
#include "PaceCpu.h"

#include "platform/Int16.h"
#include "rules/GameView.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

class PaceView final : public ModMain::GameView {
  public:
    PaceView(ModMain::GameView& window, Clock::duration warmup, bool busy, bool twoPlayers, std::uint64_t seed);

    void SetLabelText(ModMain::StatusLabel l, const std::string& t) override { Window.SetLabelText(l, t); }
    void SetMessageCaption(const std::string& c) override { Window.SetMessageCaption(c); }
    void SetMessageVisible(bool v) override { Window.SetMessageVisible(v); }
    void SetPauseCaption(const std::string& c) override { Window.SetPauseCaption(c); }
    void SetTitleVisible(bool v) override;
    void SetTwoPlayerLayout(bool t) override { Window.SetTwoPlayerLayout(t); }
    void SetMenusIdle() override { Window.SetMenusIdle(); }
    void ShowAllLevelsCompleted() override { Window.ShowAllLevelsCompleted(); }
    std::string AskTopScoreName() override { return Window.AskTopScoreName(); }
    void ShowHallOfFame() override { Window.ShowHallOfFame(); }
    void PresentFrame(const platform::Surface& backBuffer) override;

    // Ends the measured window now.
    void Finish();

    ModMain::GameView& Window;
    Clock::duration Warmup;
    std::function<void()> OnMeasuringStarted;
    std::vector<double> Periods;
    int Excluded = 0;
    Clock::time_point WindowStart, WindowEnd;
    CpuPair CpuAtStart, CpuAtEnd;
    int SoundsAtStart = 0, SoundsAtEnd = 0;

  private:
    void MakeGameRepeatable();
    void TimeFrame(Clock::time_point now, platform::Int16 lives);
    void SteerSnakes() const;

    bool Busy, TwoPlayers;
    std::uint64_t Seed;
    bool Started = false, Measuring = false, Finished = false;
    Clock::time_point GameStart, Last;
    platform::Int16 LastLives = 0;
};
