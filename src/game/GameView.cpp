#include "game/GameView.h"

namespace ModMain {
namespace {

class NullView final : public GameView {
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
};

NullView nullView;
GameView* current = nullptr;

} // namespace

void SetGameView(GameView* view) { current = view; }

GameView& View() { return current ? *current : nullView; }

} // namespace ModMain
