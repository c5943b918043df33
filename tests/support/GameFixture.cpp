#include "GameFixture.h"
#include "FileBytes.h"
#include "ScoreFiles.h"
#include "SnakeBody.h"

#include "flow/ResetAll.h"
#include "platform/Fatal.h"
#include "platform/Files.h"
#include "platform/KeptFile.h"
#include "platform/Random.h"
#include "platform/Ticks.h"
#include "scores/ModHigh.h"
#include "window/FrmHigh.h"

#include <QDir>
#include <QFile>

#include <algorithm>

void GameFixture::reset(FirstMap map, std::uint64_t seed)
{
    tearDown();
    ResetAll();
    dir_ = std::make_unique<QTemporaryDir>();
    time_ = std::make_unique<FakeTime>();
    view_ = std::make_unique<RecordingView>();
    sound_ = std::make_unique<RecordingSound>();

    platform::SetAppPath(appDir().toStdString());
    platform::SetUserDataPath(dir_->filePath(QStringLiteral("user-data")).toStdString());
    platform::SetFatalHandler([](const std::string& message) { throw FatalMessage(message); });
    platform::SeedRandom(seed);

    ModMain::SetDefaultSettings();
    promptAnswer.clear();
    promptScores.clear();
    scoreErrors.clear();
    view_->onAskTopScoreName = [this] {
        const int score = ModMain::Snakes.empty() ? -1 : ModMain::Snakes[0]->score;
        promptScores.push_back(score);
        view_->log("prompt " + std::to_string(score));
        return promptAnswer;
    };
    view_->onShowHallOfFame = [] { OpenHallOfFame(); };
    ModHigh::SetErrorReporter([this](const std::string& message) { scoreErrors.push_back(message); });

    // Empty wave files: enough for the lookup; the recorder plays nothing.
    QDir(appDir()).mkdir(QStringLiteral("sounds"));
    for (const char* name : {"apple.wav", "die.wav", "level.wav", "gameover.wav", "newgame.wav"})
        writeFile(QStringLiteral("sounds/") + QString::fromLatin1(name), {});

    if (map == FirstMap::Bordered)
        writeMap(1, MapWithWalls({}, true));
    else if (map == FirstMap::Empty)
        writeMap(1, MapWithWalls({}, false));
}

void GameFixture::tearDown()
{
    CloseHallOfFame();
    ModMain::Snakes.clear();
    ModMain::ComSnakes.clear();
    sound_.reset();
    view_.reset();
    time_.reset();
    ResetAll();
    dir_.reset();
}

void GameFixture::writeFile(const QString& name, const QByteArray& bytes) const
{
    WriteFileBytes(QDir(appDir()).filePath(name), bytes);
}

void GameFixture::writeMap(int level, const QByteArray& bytes) const
{
    writeFile(QStringLiteral("map%1.dat").arg(level), bytes);
}

void GameFixture::writeScores(const std::vector<std::pair<std::string, int>>& entries) const
{
    QList<QPair<QByteArray, int>> table;
    for (const auto& [name, score] : entries)
        table.append({QByteArray::fromStdString(name), score});
    writeFile(QStringLiteral("scores.dat"), ScoreFileBytes(table));
}

GameFixture::Body GameFixture::line(int x, int y, int dx, int dy, int length)
{
    Body body;
    for (int i = 0; i < length; ++i)
        body.push_back({static_cast<platform::Int16>(x + i * dx), static_cast<platform::Int16>(y + i * dy)});
    return body;
}

std::shared_ptr<Snake> GameFixture::makeSnake(Body body, platform::Int16 dir, bool computer)
{
    auto snake = std::make_shared<Snake>();
    SetSnakeBody(*snake, std::move(body));
    snake->dir = dir;
    snake->Lives = 5;
    snake->IsComputer = computer;
    return snake;
}

std::shared_ptr<Snake> GameFixture::addHuman(Body body, platform::Int16 dir)
{
    ModMain::Snakes.push_back(makeSnake(std::move(body), dir));
    return ModMain::Snakes.back();
}

std::shared_ptr<Snake> GameFixture::addComputer(Body body, platform::Int16 dir)
{
    ModMain::ComSnakes.push_back(makeSnake(std::move(body), dir, true));
    ModMain::ComSnakesOn = true;
    return ModMain::ComSnakes.back();
}

int GameFixture::played(const std::string& file) const
{
    const auto names = sound_->names();
    return static_cast<int>(std::count(names.begin(), names.end(), file));
}

int GameFixture::cellCount(ModMain::Cell cell) const
{
    int n = 0;
    for (int x = 0; x < ModMain::FieldSize; ++x)
        for (int y = 0; y < ModMain::FieldSize; ++y)
            n += ModMain::Map[x][y] == cell ? 1 : 0;
    return n;
}
