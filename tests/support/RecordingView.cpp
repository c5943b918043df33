#include "RecordingView.h"

#include <algorithm>

using ModMain::StatusLabel;

const char* LabelName(StatusLabel label)
{
    switch (label) {
    case StatusLabel::Apple: return "Apple";
    case StatusLabel::Score1: return "Score1";
    case StatusLabel::Lives1: return "Lives1";
    case StatusLabel::Score2: return "Score2";
    case StatusLabel::Lives2: return "Lives2";
    }
    return "?";
}

void RecordingView::log(const std::string& event)
{
    if (keepLog)
        events.push_back(event);
    if (onEvent)
        onEvent(event);
}

int RecordingView::find(const std::string& prefix, int from) const
{
    for (int i = std::max(from, 0); i < static_cast<int>(events.size()); ++i) {
        if (events[i].starts_with(prefix))
            return i;
    }
    return -1;
}

int RecordingView::count(const std::string& prefix) const
{
    return static_cast<int>(
        std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.starts_with(prefix); }));
}

QString RecordingView::firstOutOfOrder(const std::vector<std::string>& prefixes) const
{
    int at = -1;
    for (const std::string& prefix : prefixes) {
        at = find(prefix, at + 1);
        if (at < 0)
            return QString::fromStdString(prefix);
    }
    return {};
}

std::string RecordingView::label(StatusLabel which) const
{
    const auto it = labels.find(which);
    return it == labels.end() ? std::string() : it->second;
}

void RecordingView::SetLabelText(StatusLabel label, const std::string& text)
{
    labels[label] = text;
    log(std::string("label ") + LabelName(label) + ": " + text);
}

void RecordingView::SetMessageCaption(const std::string& caption)
{
    messageCaption = caption;
    log("caption " + caption);
}

void RecordingView::SetMessageVisible(bool visible)
{
    messageVisible = visible;
    log(visible ? "message shown" : "message hidden");
}

void RecordingView::SetPauseCaption(const std::string& caption)
{
    pauseCaption = caption;
    log("pause caption " + caption);
}

void RecordingView::SetTitleVisible(bool visible)
{
    titleVisible = visible;
    log(visible ? "title shown" : "title hidden");
}

void RecordingView::SetTwoPlayerLayout(bool twoPlayers)
{
    twoPlayerLayout = twoPlayers;
    log(twoPlayers ? "layout two" : "layout one");
}

void RecordingView::SetMenusIdle()
{
    ++menusIdle;
    log("menus idle");
}

void RecordingView::PresentFrame(const platform::Surface& backBuffer)
{
    ++frames;
    presented = &backBuffer;
    if (onPresentFrame)
        onPresentFrame();
    log("frame");
}

void RecordingView::ShowAllLevelsCompleted()
{
    ++allLevelsBoxes;
    log("all levels box");
    if (onAllLevelsCompleted)
        onAllLevelsCompleted();
}

std::string RecordingView::AskTopScoreName()
{
    return onAskTopScoreName ? onAskTopScoreName() : std::string();
}

void RecordingView::ShowHallOfFame()
{
    if (onShowHallOfFame)
        onShowHallOfFame();
}
