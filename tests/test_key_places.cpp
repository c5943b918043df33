// The letter a key has in the US layout, found from its place on the
// keyboard: what steers player two on any layout.
#include "support/DataRows.h"
#include "support/TableColumns.h"

#include "platform/KeyPlaces.h"

#include <QtTest>

class TestKeyPlaces : public QObject {
    Q_OBJECT

  private slots:
    void usLetterAtKeyFollowsTheRows_data()
    {
        Columns<int, QString>("scanCode", "letter");
        AddRow("Tab, before the top row", 23, "");
        AddRow("Q", 24, "Q");
        AddRow("W", 25, "W");
        AddRow("P", 33, "P");
        AddRow("bracket after P", 34, "");
        AddRow("Ctrl, before the home row", 37, "");
        AddRow("A", 38, "A");
        AddRow("S", 39, "S");
        AddRow("D", 40, "D");
        AddRow("L", 46, "L");
        AddRow("semicolon after L", 47, "");
        AddRow("Z", 52, "Z");
        AddRow("M", 58, "M");
        AddRow("comma after M", 59, "");
        AddRow("no code", 0, "");
    }

    void usLetterAtKeyFollowsTheRows()
    {
        const auto [scanCode, letter] = Fetch<int, QString>("scanCode", "letter");
        const char found = platform::UsLetterAtKey(static_cast<std::uint32_t>(scanCode));
        QCOMPARE(found ? QString(QLatin1Char(found)) : QString(), letter);
    }
};

QTEST_MAIN(TestKeyPlaces)
#include "test_key_places.moc"
