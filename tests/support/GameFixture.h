#pragma once
// Puts the engine into a known state for each test: fresh game state and
// default settings, an empty score table, a recording view and sound, a clock
// the test drives, a seeded generator, and a temporary program folder holding
// the map files, the sounds folder and (when wanted) scores.dat.
#include "AppleCells.h"
#include "FakeTime.h"
#include "MapFiles.h"
#include "RecordingSound.h"
#include "RecordingView.h"

#include "rules/ModMain.h"
#include "rules/Snake.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A fatal error under test: thrown by the installed handler instead of
// ending the program.
struct FatalMessage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class GameFixture {
  public:
    enum class FirstMap { Bordered, Empty, None };
    using Body = std::vector<Snake::Segment>;

    GameFixture() = default;
    ~GameFixture() { tearDown(); }
    GameFixture(const GameFixture&) = delete;
    GameFixture& operator=(const GameFixture&) = delete;

    // For each test's init(): everything back to a known state, with
    // map1.dat written as asked.
    void reset(FirstMap map = FirstMap::Bordered, std::uint64_t seed = 1);
    // For cleanup(): closes windows and uninstalls every seam.
    void tearDown();

    FakeTime& time() { return *time_; }
    RecordingView& view() { return *view_; }
    RecordingSound& sound() { return *sound_; }

    // The temporary program folder.
    QString appDir() const { return dir_->path(); }
    void writeFile(const QString& name, const QByteArray& bytes) const;
    void writeMap(int level, const QByteArray& bytes) const;

    // scores.dat made byte by byte: ten entries of a name and a score record.
    void writeScores(const std::vector<std::pair<std::string, int>>& entries) const;

    // A straight body: head at (x, y), the rest trailing one square at a time
    // in the direction (dx, dy) (away from where the head is going).
    static Body line(int x, int y, int dx, int dy, int length);
    static std::shared_ptr<Snake> makeSnake(Body body, platform::Int16 dir, bool computer = false);
    // Adds to Snakes / ComSnakes (the latter also turns ComSnakesOn on).
    std::shared_ptr<Snake> addHuman(Body body, platform::Int16 dir);
    std::shared_ptr<Snake> addComputer(Body body, platform::Int16 dir);

    // Number of times the sound with this file name was started.
    int played(const std::string& file) const;
    int cellCount(ModMain::Cell cell) const;
    // ApplesLeft must match the apples lying on the grid.
    static bool applesConsistent() { return ModMain::ApplesLeft == ModMain::CountAppleCells(); }

    // The top-score prompt: its answer ("" cancels) and what it was asked.
    std::string promptAnswer;
    std::vector<int> promptScores;
    std::vector<std::string> scoreErrors;

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakeTime> time_;
    std::unique_ptr<RecordingView> view_;
    std::unique_ptr<RecordingSound> sound_;
};
