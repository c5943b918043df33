// File lookup in the program's folder.
#include "support/DataRows.h"
#include "support/GameFixture.h"
#include "support/TableColumns.h"

#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

class TestFiles : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(); }
    void cleanup() { fx.tearDown(); }

    // File names match without regard to case, an exact match first; folders
    // and hidden files never.
    void findFileMatchesOrdinaryFilesCaseInsensitively_data()
    {
        Columns<QString, QString>("wanted", "found"); // found: the file name, "" for none
        AddRow("lower finds mixed", "map2.dat", "Map2.dat");
        AddRow("upper finds mixed", "MAP2.DAT", "Map2.dat");
        AddRow("exact", "Map2.dat", "Map2.dat");
        AddRow("folder is not a file", "map3.dat", "");
        AddRow("folder in other case", "MAP3.DAT", "");
        AddRow("hidden file", ".secret.dat", "");
        AddRow("missing", "map4.dat", "");
        AddRow("no partial match", "map2.da", "");
        AddRow("exact name wins over another case", "scores.dat", "scores.dat");
    }

    void findFileMatchesOrdinaryFilesCaseInsensitively()
    {
        const auto [wanted, found] = Fetch<QString, QString>("wanted", "found");
        fx.writeFile("Map2.dat", "x");
        fx.writeFile(".secret.dat", "x");
        fx.writeFile("SCORES.DAT", "upper");
        fx.writeFile("scores.dat", "lower");
        QVERIFY(QDir(fx.appDir()).mkdir("map3.dat"));

        const auto result = platform::FindFile(fx.appDir().toStdString(), wanted.toStdString());
        if (found.isEmpty()) {
            QVERIFY2(!result, result ? result->c_str() : "");
        } else {
            QVERIFY(result);
            QCOMPARE(QFileInfo(QString::fromStdString(*result)).fileName(), found);
        }
    }

    // The program folder can be redirected and restored.
    void appFileExistsLooksInTheProgramFolder()
    {
        fx.writeFile("MAP7.DAT", "");
        QVERIFY(platform::AppFileExists("map7.dat"));
        QVERIFY(!platform::AppFileExists("map8.dat"));
        QCOMPARE(QString::fromStdString(platform::AppPath()), fx.appDir());
        platform::SetAppPath("");
        QVERIFY(!platform::AppPath().empty());
        QVERIFY(!platform::AppPath().ends_with('/'));
        QVERIFY(!platform::AppFileExists("map7.dat"));
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestFiles)
#include "test_files.moc"
