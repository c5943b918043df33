// 16-bit arithmetic: a result out of range is fatal, as the game's numbers
// have always been.
#include "support/DataRows.h"
#include "support/GameFixture.h"
#include "support/TableColumns.h"

#include "platform/Int16.h"

#include <QtTest>

class TestInt16 : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(); }
    void cleanup() { fx.tearDown(); }

    // 16-bit results outside -32768..32767 go to the fatal handler.
    void int16OverflowIsFatal_data()
    {
        Columns<int, int, bool>("a", "b", "fatal");
        AddRow("max stays", 32766, 1, false);
        AddRow("min stays", -32767, -1, false);
        AddRow("max + 1", 32767, 1, true);
        AddRow("min - 1", -32768, -1, true);
        AddRow("big jump", 0, 70000, true);
    }

    void int16OverflowIsFatal()
    {
        const auto [a, b, fatal] = Fetch<int, int, bool>("a", "b", "fatal");
        try {
            const platform::Int16 sum = platform::Add16(static_cast<platform::Int16>(a), b);
            QVERIFY2(!fatal, "overflow went unnoticed");
            QCOMPARE(int(sum), a + b);
        } catch (const FatalMessage& e) {
            QVERIFY2(fatal, e.what());
            QVERIFY(QString(e.what()).contains("Overflow"));
        }
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestInt16)
#include "test_int16.moc"
