#pragma once
// Stands in for the main window while alive: keeps every label text, caption
// and frame the engine shows, plus one ordered event log.
#include "rules/GameView.h"

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

class RecordingView final : public ModMain::GameView {
  public:
    RecordingView() { ModMain::SetGameView(this); }
    ~RecordingView() override { ModMain::SetGameView(nullptr); }
    RecordingView(const RecordingView&) = delete;
    RecordingView& operator=(const RecordingView&) = delete;

    void SetLabelText(ModMain::StatusLabel label, const std::string& text) override;
    void SetMessageCaption(const std::string& caption) override;
    void SetMessageVisible(bool visible) override;
    void SetPauseCaption(const std::string& caption) override;
    void SetTitleVisible(bool visible) override;
    void SetTwoPlayerLayout(bool twoPlayers) override;
    void SetMenusIdle() override;
    void PresentFrame(const platform::Surface& backBuffer) override;
    void ShowAllLevelsCompleted() override;
    std::string AskTopScoreName() override;
    void ShowHallOfFame() override;

    // Appends to the event log (tests add their own markers, such as "prompt").
    void log(const std::string& event);
    // Index of the first event from `from` on that starts with `prefix`; -1 if none.
    int find(const std::string& prefix, int from = 0) const;
    int count(const std::string& prefix) const;
    // The first prefix with no event after the one found for the prefix
    // before it (a QString, so that a failed QCOMPARE shows it); "" when they all
    // happened in this order.
    QString firstOutOfOrder(const std::vector<std::string>& prefixes) const;
    std::string label(ModMain::StatusLabel which) const;

    std::map<ModMain::StatusLabel, std::string> labels;
    std::string messageCaption;
    bool messageVisible = false;
    std::string pauseCaption;
    bool titleVisible = true;
    bool twoPlayerLayout = false;
    int menusIdle = 0;
    int frames = 0;
    const platform::Surface* presented = nullptr; // the last frame's buffer
    int allLevelsBoxes = 0;

    // Event names: "label Apple: ...", "caption ...", "message shown/hidden",
    // "pause caption ...", "title shown/hidden", "layout one/two",
    // "menus idle", "frame", "all levels box".
    std::vector<std::string> events;
    // Off for long runs, so the log does not grow without bound.
    bool keepLog = true;

    // Called after each event is recorded (with its name).
    std::function<void(const std::string&)> onEvent;
    // Called inside PresentFrame: lets a test simulate work by moving a clock.
    std::function<void()> onPresentFrame;
    // Called while the modal "All levels completed!" box is up; its return
    // is the player closing it.
    std::function<void()> onAllLevelsCompleted;
    // The top-score name prompt's answer ("" when unset: cancelled), and
    // what opening the Hall of Fame does (nothing when unset).
    std::function<std::string()> onAskTopScoreName;
    std::function<void()> onShowHallOfFame;
};

const char* LabelName(ModMain::StatusLabel label);
