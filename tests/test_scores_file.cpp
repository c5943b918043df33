// scores.dat: the byte layout, the code page, and what happens when the file
// is missing, short, longer, damaged or cannot be used.
#include "flow/TopScore.h"
#include "platform/Files.h"
#include "platform/KeptFile.h"
#include "scores/Cp1252.h"
#include "scores/ModHigh.h"
#include "scores/ScoreFile.h"
#include "support/ChildProcess.h"
#include "support/DataRows.h"
#include "support/FileBytes.h"
#include "support/Processes.h"
#include "support/ScoreFiles.h"
#include "support/TableColumns.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using ModHigh::HighScores;

namespace {

// A full, hand-made table: entry i is named "P<i>" with score 100 - i.
QByteArray TenEntries(char filler = '\0')
{
    QList<QPair<QByteArray, int>> entries;
    for (int i = 0; i < 10; ++i)
        entries.append({"P" + QByteArray::number(i), 100 - i});
    return ScoreFileBytes(entries, filler);
}

// The table as "name=score" lines; `first` given, the rest "=0".
QStringList Rows(QStringList first)
{
    while (first.size() < 10)
        first.append("=0");
    return first;
}

QStringList TableRows()
{
    QStringList rows;
    for (const auto& entry : HighScores)
        rows.append(QString::fromStdString(entry.Name) + "=" + QString::number(entry.Score));
    return rows;
}

// The rows FillTable(name, firstScore) makes; ("P", 100) those of TenEntries().
QStringList FilledRows(const QString& name, int firstScore)
{
    QStringList rows;
    for (int i = 0; i < 10; ++i)
        rows.append(QString("%1%2=%3").arg(name).arg(i).arg(firstScore - i));
    return rows;
}

// A digest of the file's bytes from `from` to the end, read a chunk at a time.
QByteArray HashFrom(const QString& path, qint64 from)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from) || !hash.addData(&file))
        return {};
    return hash.result();
}

// A copy of the game at a game over with a top score; true when saved without a word.
bool SaveAsCopy(const std::string& name, int score)
{
    TopScoreView prompt(name);
    CapturedErrors errors;
    ModHigh::LoadScores();
    ModHigh::AddTopScore(static_cast<platform::Int16>(score));
    return errors.messages.isEmpty();
}

void FillTable(const std::string& name, int firstScore)
{
    for (int i = 0; i < 10; ++i)
        HighScores[i] = {name + std::to_string(i), static_cast<platform::Int16>(firstScore - i)};
}

} // namespace

class TestScoresFile : public QObject {
    Q_OBJECT

  private slots:
    // --- Windows-1252 ---
    // Undefined and defined bytes alike: a loaded name saves back byte for byte.
    void everyByteSurvivesReadAndWrite()
    {
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            QCOMPARE(ModHigh::Utf8ToCp1252(ModHigh::Cp1252ToUtf8(byte)), byte);
        }
    }

    void charactersAreStoredInWindows1252_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("ascii") << "Ann 2" << QByteArray("Ann 2");
        QTest::newRow("e acute") << "é" << QByteArray("\xE9");
        QTest::newRow("euro") << "€" << QByteArray("\x80");
        QTest::newRow("Y diaeresis 9F") << "Ÿ" << QByteArray("\x9F");
        QTest::newRow("no-break space A0") << QString(QChar(0xA0)) << QByteArray("\xA0");
        QTest::newRow("y diaeresis FF") << "ÿ" << QByteArray("\xFF");
        for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            QTest::addRow("undefined %x as C1 control", undefined)
                << QString(QChar(undefined)) << QByteArray(1, static_cast<char>(undefined));
        QTest::newRow("C1 control of a defined byte") << QString(QChar(0x80)) << QByteArray("?");
        QTest::newRow("omega") << "Ω" << QByteArray("?");
        QTest::newRow("cjk") << "日本" << QByteArray("??");
        QTest::newRow("one ? per code point, not per byte") << "😀x" << QByteArray("?x");
    }

    // Names go to disk in Windows-1252, one byte per character, "?" for the rest.
    void charactersAreStoredInWindows1252()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, stored);
        ScoreFolder folder;
        HighScores[0] = {text.toStdString(), 1};
        ModHigh::SaveScores();
        QCOMPARE(folder.read().left(128), NameRecord(stored));
        HighScores = {};
        ModHigh::LoadScores();
        QCOMPARE(QByteArray::fromStdString(ModHigh::Utf8ToCp1252(HighScores[0].Name)), stored);
        if (!stored.contains('?'))
            QCOMPARE(QString::fromStdString(HighScores[0].Name), text);
    }

    // --- reading ---
    // A missing file is an empty table, and an empty scores.dat is left behind.
    void missingFileReadsEmptyAndLeavesEmptyFile()
    {
        ScoreFolder folder;
        CapturedErrors errors;
        FillTable("old", 50);
        ModHigh::LoadScores();
        QVERIFY(ModHigh::ScoresLoaded);
        QCOMPARE(TableRows(), Rows({}));
        QCOMPARE(folder.entries(), QStringList{"scores.dat"});
        QCOMPARE(folder.read(), QByteArray(""));
        QVERIFY(errors.messages.isEmpty());
    }

    void fileReadsAsTable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty file") << QByteArray("") << Rows({});
        QTest::newRow("256 bytes: entry 0 only") << NameRecord("Solo") + ScoreRecord(77) << Rows({"Solo=77"});
        QTest::newRow("full file, filler ignored") << TenEntries('#') << FilledRows("P", 100);
        QStringList damaged = FilledRows("P", 100);
        damaged[0] = QString(126, 'A') + "=100";
        QTest::newRow("length 500 reads its own 126 bytes")
            << TenEntries().replace(0, 128, NameRecord(QByteArray(126, 'A'), 500)) << damaged;
        QTest::newRow("name cut by end of file reads zeros")
            << NameRecord("abc", 5).left(5) << Rows({QString::fromLatin1("abc\0\0=0", 7)});
        QTest::newRow("score cut by end of file") << NameRecord("Al") + QByteArray("\x05") << Rows({"Al=5"});
    }

    // Entry i is records 2i+1 and 2i+2; bytes past the end read as zero; a
    // damaged length never reads past its record; the whole table is replaced.
    void fileReadsAsTable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        ScoreFolder folder;
        folder.write(bytes);
        FillTable("old", 50);
        ModHigh::LoadScores();
        QCOMPARE(TableRows(), rows);
        QCOMPARE(folder.read(), bytes);
    }

    void scoreBytesAreSigned16Bit_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("score");
        QTest::newRow("zero") << 0x00 << 0x00 << 0;
        QTest::newRow("little-endian") << 0x39 << 0x30 << 12345;
        QTest::newRow("largest") << 0xFF << 0x7F << 32767;
        QTest::newRow("minus one") << 0xFF << 0xFF << -1;
        QTest::newRow("FF FE") << 0xFF << 0xFE << -257;
        QTest::newRow("smallest") << 0x00 << 0x80 << -32768;
    }

    // A score is a little-endian two's complement, read and written alike.
    void scoreBytesAreSigned16Bit()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, score);
        ScoreFolder folder;
        folder.write(TenEntries().replace(9 * 128, 128, ScoreRecordBytes(low, high, '\x55')));
        ModHigh::LoadScores();
        QCOMPARE(HighScores[4].Score, score);

        HighScores[4].Score = static_cast<platform::Int16>(score);
        ModHigh::SaveScores(); // zero filler replaces the 0x55 read above
        QCOMPARE(folder.read().mid(9 * 128, 128), ScoreRecordBytes(low, high));
    }

    // "SCORES.DAT" is the score file: read, and saved over, not beside it.
    void mixedCaseFileIsReadAndRewrittenInPlace()
    {
        ScoreFolder folder;
        folder.write(TenEntries(), "SCORES.DAT");
        ModHigh::LoadScores();
        QCOMPARE(TableRows(), FilledRows("P", 100));
        HighScores[0].Name = "Q";
        ModHigh::SaveScores();
        QCOMPARE(folder.entries(), QStringList{"SCORES.DAT"});
        QCOMPARE(folder.read("SCORES.DAT").left(128), NameRecord("Q"));
    }

    // --- writing ---
    // 2560 bytes: 20 records, zero filler, no header, no temporary file left.
    void savedFileHasTheExactLayout()
    {
        ScoreFolder folder;
        FillTable("P", 100);
        ModHigh::SaveScores();
        ModHigh::SaveScores();
        QCOMPARE(folder.read(), TenEntries());
        QCOMPARE(folder.entries(), QStringList{"scores.dat"});
    }

    void nameRecordOnDisk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("126 characters fill the record")
            << QString(126, 'z') << QByteArray("\x7E\x00", 2) + QByteArray(126, 'z') << QString(126, 'z');
        QTest::newRow("empty name is length 0") << "" << NameRecord("") << "";
        QTest::newRow("outside the code page as ?") << "Ω日é€" << NameRecord("??\xE9\x80") << "??é€";
        QTest::newRow("300 characters stay in the record")
            << QString(300, 'x') << NameRecord(QByteArray(126, 'x')) << QString(126, 'x');
    }

    // A name record holds the length and the bytes, never more than 126.
    void nameRecordOnDisk()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, record);
        QFETCH(QString, readBack);
        ScoreFolder folder;
        FillTable("P", 100);
        HighScores[3].Name = name.toStdString();
        ModHigh::SaveScores();
        const QByteArray bytes = folder.read();
        QCOMPARE(bytes.size(), 2560);
        QCOMPARE(bytes.mid(6 * 128, 128), record);
        QCOMPARE(bytes.mid(7 * 128, 128), ScoreRecord(97));
        QCOMPARE(bytes.mid(8 * 128, 128), NameRecord("P4"));
        ModHigh::LoadScores();
        QCOMPARE(QString::fromStdString(HighScores[3].Name), readBack);
    }

    void saveKeepsBytesBeyondTheTable_data()
    {
        Columns<qint64>("fileBytes");
        QTest::newRow("4000-byte file") << qint64(4000);
        QTest::newRow("128 MiB, mostly a hole") << (qint64(128) << 20);
    }

    // Saving rewrites bytes 0..2559 and leaves an older file's tail untouched,
    // byte for byte, without loading it: the save runs with room for its own
    // work but not for the file.
    void saveKeepsBytesBeyondTheTable()
    {
        const auto [fileBytes] = Fetch<qint64>("fileBytes");
        ScoreFolder folder;
        QByteArray old(4000, '\0');
        for (int i = 0; i < old.size(); ++i)
            old[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        folder.write(old);
        QFile file(folder.file());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(fileBytes) && file.seek(fileBytes - 3));
        QVERIFY(file.write("END") == 3);
        file.close();
        const QByteArray tail = HashFrom(folder.file(), 2560);
        FillTable("P", 100);
        CapturedErrors errors;
        QVERIFY(RunInChild(
            [&errors] {
                ModHigh::SaveScores();
                return errors.messages.isEmpty();
            },
            RLIMIT_AS, AddressSpaceInUse() + (32 << 20)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.size(), fileBytes);
        QCOMPARE(file.read(2560), TenEntries());
        QCOMPARE(HashFrom(folder.file(), 2560), tail);
    }

    // --- failures ---
    void tableIsKeptWhereTheGameMayWrite_data()
    {
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<int>("fileMode");       // of the game folder's scores.dat; 0: none
        QTest::addColumn<bool>("userCopy");      // the player already has a table
        QTest::addColumn<QString>("loadedFrom"); // game, user or empty
        QTest::addColumn<QString>("savedTo");    // game (replaced), in place, or user
        AddRow("writable folder, no file: made there", true, 0, false, "empty", "game");
        AddRow("writable folder and file", true, 0644, true, "game", "game");
        AddRow("read-only folder, no file: the player's copy", false, 0, false, "empty", "user");
        AddRow("read-only folder and file: a seed", false, 0444, false, "game", "user");
        AddRow("read-only file in a writable folder: a seed", true, 0444, false, "game", "user");
        AddRow("the player's copy wins over the seed", false, 0444, true, "user", "user");
        AddRow("writable file in a read-only folder: in place", false, 0666, true, "game", "in place");
    }

    // Where scores.dat is read and saved: the game folder's when the game may
    // write it, else the player's own copy, which starts from the game folder's.
    // Nothing goes wrong, so nothing is reported; the other place is untouched.
    void tableIsKeptWhereTheGameMayWrite()
    {
        QFETCH(bool, folderWritable);
        QFETCH(int, fileMode);
        QFETCH(bool, userCopy);
        QFETCH(QString, loadedFrom);
        QFETCH(QString, savedTo);
        ScoreFolder folder;
        CapturedErrors errors;
        const QByteArray shipped = TenEntries() + QByteArray(100, 'T');
        if (fileMode != 0) {
            folder.write(shipped);
            QVERIFY(::chmod(QFile::encodeName(folder.file()).constData(), static_cast<mode_t>(fileMode)) == 0);
        }
        FillTable("user", 500);
        const QByteArray userTable = ModHigh::EncodeScoreFile(HighScores);
        if (userCopy) {
            QVERIFY(QDir().mkpath(folder.userPath()));
            QVERIFY(WriteFileBytes(folder.userFile(), userTable));
        }
        if (!folderWritable)
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        struct stat before {};
        ::stat(QFile::encodeName(folder.file()).constData(), &before);

        FillTable("old", 50);
        ModHigh::LoadScores();
        const QStringList loaded = loadedFrom == "game"   ? FilledRows("P", 100)
                                   : loadedFrom == "user" ? FilledRows("user", 500)
                                                          : Rows({});
        QCOMPARE(TableRows(), loaded);

        FillTable("new", 200);
        ModHigh::SaveScores();
        QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join('\n')));
        const QByteArray table = ModHigh::EncodeScoreFile(HighScores);
        const QByteArray userBytes = ReadFileBytes(folder.userFile());
        struct stat after {};
        ::stat(QFile::encodeName(folder.file()).constData(), &after);
        if (savedTo == "user") {
            QCOMPARE(userBytes, table);
            QCOMPARE(folder.read(), fileMode != 0 ? shipped : QByteArray());
            QCOMPARE(folder.entries(), fileMode != 0 ? QStringList{"scores.dat"} : QStringList{});
        } else {
            QCOMPARE(folder.read(), table + QByteArray(100, 'T').left(fileMode != 0 ? 100 : 0));
            QCOMPARE(folder.entries(), QStringList{"scores.dat"});
            QCOMPARE(userBytes, userCopy ? userTable : QByteArray());
        }
        if (savedTo == "in place") {
            // The same file, written through: inode, owner and mode unchanged.
            QCOMPARE(after.st_ino, before.st_ino);
            QCOMPARE(after.st_uid, before.st_uid);
            QCOMPARE(after.st_mode, before.st_mode);
        }
        if (fileMode != 0)
            QCOMPARE(after.st_mode & 07777, static_cast<mode_t>(fileMode));
    }

    // A table of the group nogroup in a setgid folder, with an ACL for one more
    // player, saved by its owner and then by that player, each as that
    // ordinary user: written in place, so that owner, group, mode and ACL stay.
    void someoneElsesTableIsWrittenInPlace()
    {
        if (::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        ScoreFolder folder;
        folder.write(TenEntries());
        const uid_t other = 65534; // nobody
        QVERIFY(::chown(QFile::encodeName(folder.file()).constData(), other, other) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder.file()).constData(), 0664) == 0);
        QVERIFY(::chown(QFile::encodeName(folder.path()), 0, other) == 0 &&
                ::chmod(QFile::encodeName(folder.path()), 02775) == 0);
        const auto env = QProcessEnvironment::systemEnvironment();
        QVERIFY(RunProgram("setfacl", {"-m", "u:daemon:rw", folder.file()}, env, 5000).ok);
        for (const uid_t saver : {other, uid_t(1)}) // daemon by the ACL
            QVERIFY(RunInChild(
                [saver] {
                    return ::setgroups(0, nullptr) == 0 && ::setresgid(other, other, other) == 0 &&
                           ::setresuid(saver, saver, saver) == 0 && SaveAsCopy(std::to_string(saver), 200);
                },
                RLIMIT_CORE, 0));
        ModHigh::LoadScores();
        QCOMPARE(TableRows().mid(0, 3), QStringList({"1=200", "65534=200", "P0=100"}));
        struct stat after {};
        QVERIFY(::stat(QFile::encodeName(folder.file()).constData(), &after) == 0);
        QCOMPARE(after.st_uid, other);
        QCOMPARE(after.st_gid, static_cast<gid_t>(other));
        QCOMPARE(after.st_mode & 07777, 0664u);
        QVERIFY(RunProgram("getfacl", {"-cp", folder.file()}, env, 5000).output.contains("user:daemon:rw-"));
    }

    // Three copies of the game, real processes, save top scores at once, each
    // from a random moment (of the printed seed), into a missing table or while
    // a fourth holds the lock and then, at a random moment, puts a new file of
    // its own in the table's place. Every entry is kept.
    void copiesSavingAtOnceLoseNothing()
    {
        const auto seed = qEnvironmentVariableIsSet("SNAKE_COPIES_SEED")
                              ? qEnvironmentVariableIntValue("SNAKE_COPIES_SEED")
                              : QRandomGenerator::global()->bounded(1 << 30);
        qInfo("seed %d (replay with SNAKE_COPIES_SEED=%d)", seed, seed);
        QRandomGenerator random(seed);
        for (int round = 0; round < 20; ++round) {
            const bool replaced = random.bounded(2) == 1;
            ScoreFolder folder;
            QFile held(folder.file());
            QVERIFY(!replaced || (held.open(QIODevice::WriteOnly) && ::flock(held.handle(), LOCK_EX) == 0));
            const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(30);
            QList<pid_t> copies;
            for (int i = 0; i < 3; ++i)
                copies.append(StartChild(
                    [i, at = start + std::chrono::microseconds(random.bounded(300))] {
                        std::this_thread::sleep_until(at);
                        return SaveAsCopy("C" + std::to_string(i), 50 + i);
                    },
                    RLIMIT_CORE, 0));
            std::this_thread::sleep_until(start + std::chrono::milliseconds(random.bounded(20)));
            QSaveFile theirs(folder.file()); // written beside it, then renamed over it
            QVERIFY(!replaced || (theirs.open(QIODevice::WriteOnly) &&
                                  theirs.write(ScoreFileBytes({{"Four", 90}, {"Old", 10}})) > 0 && theirs.commit()));
            held.close();
            for (const pid_t copy : copies)
                QVERIFY(ChildSucceeded(copy));
            ModHigh::LoadScores();
            const QStringList rows{"C2=52", "C1=51", "C0=50"};
            QCOMPARE(TableRows(), Rows(replaced ? QStringList{"Four=90"} + rows + QStringList{"Old=10"} : rows));
        }
    }

    void linkedTableIsWrittenThrough_data()
    {
        Columns<bool, bool>("playersOwn", "foldersWritable");
        AddRow("the player's table links to a shared one", true, true);
        AddRow("the player's link and the shared table in read-only folders: in place", true, false);
        AddRow("the game folder's table links elsewhere", false, true);
    }

    // A scores.dat that is a symbolic link is read and saved through to its
    // target, by the rules of any other file; the link stays a link.
    void linkedTableIsWrittenThrough()
    {
        const auto [playersOwn, foldersWritable] = Fetch<bool, bool>("playersOwn", "foldersWritable");
        ScoreFolder folder;
        CapturedErrors errors;
        const QTemporaryDir shared;
        const QString target = shared.filePath("table.dat");
        QVERIFY(WriteFileBytes(target, TenEntries() + QByteArray(100, 'T')));
        const QString link = playersOwn ? folder.userFile() : folder.file();
        QVERIFY(QDir().mkpath(QFileInfo(link).absolutePath()) && QFile::link(target, link));
        if (playersOwn)
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        const QStringList linkAndTable{QFileInfo(link).absolutePath(), shared.path()};
        const auto restore = qScopeGuard([&] {
            for (const QString& path : linkAndTable)
                QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        if (!foldersWritable) {
            QVERIFY(::chmod(QFile::encodeName(target).constData(), 0666) == 0);
            for (const QString& path : linkAndTable)
                QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        }
        struct stat before {};
        ::stat(QFile::encodeName(target).constData(), &before);

        ModHigh::LoadScores();
        QCOMPARE(TableRows(), FilledRows("P", 100));
        FillTable("new", 200);
        ModHigh::SaveScores();
        QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join('\n')));
        QCOMPARE(ReadFileBytes(target), ModHigh::EncodeScoreFile(HighScores) + QByteArray(100, 'T'));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        struct stat after {};
        ::stat(QFile::encodeName(target).constData(), &after);
        if (!foldersWritable)
            QCOMPARE(after.st_ino, before.st_ino);
    }

    void oddScoresDatIsReportedAtOnce_data()
    {
        Columns<QString>("odd");
        for (const char* odd : {"a folder", "a named pipe", "a symbolic link to", "another user made"})
            QTest::newRow(odd) << QString(odd);
    }

    // A scores.dat that is a folder, a FIFO, a chain of links to nothing or a
    // link another user made in a folder others may write: one clear message
    // each time, within a second, and nothing changed.
    void oddScoresDatIsReportedAtOnce()
    {
        const auto [odd] = Fetch<QString>("odd");
        if (odd == "another user made" && ::geteuid() != 0)
            QSKIP("only root can make a link of another user");
        ScoreFolder folder;
        CapturedErrors errors;
        folder.write("KEY", "key");
        const QByteArray file = QFile::encodeName(folder.file());
        QVERIFY(odd == "a folder"             ? QDir(folder.path()).mkdir("scores.dat")
                : odd == "a named pipe"       ? ::mkfifo(file, 0666) == 0
                : odd == "a symbolic link to" ? QFile::link("a", folder.file()) && QFile::link("gone", folder.file("a"))
                                              : QFile::link("key", folder.file()) && ::lchown(file, 1, 1) == 0 &&
                                                    ::chmod(QFile::encodeName(folder.path()), 0775) == 0);
        const QStringList entries = folder.entries();
        FillTable("old", 50);
        const QStringList before = TableRows();
        ::alarm(1); // an answer within a second, or the test ends here
        ModHigh::LoadScores();
        ModHigh::SaveScores();
        ::alarm(0);
        QCOMPARE(errors.messages.size(), 2);
        for (const QString& message : errors.messages)
            QVERIFY(message.contains(folder.file()) && message.contains(odd));
        QCOMPARE(TableRows(), before);
        QVERIFY(ModHigh::ScoresLoaded);
        QCOMPARE(folder.entries(), entries);
        QCOMPARE(folder.read("key"), QByteArray("KEY"));
    }

    // Another member of a folder others may write swaps the table, over and
    // over, with their own link to a file of the player's: whatever the moment
    // of a load or a save, the link is never followed.
    void linkSwappedInIsNeverFollowed()
    {
        if (::geteuid() != 0)
            QSKIP("only root can make a link of another user");
        ScoreFolder folder;
        CapturedErrors errors;
        folder.write(TenEntries());
        folder.write("KEY", "key");
        const QByteArray file = QFile::encodeName(folder.file()), link = QFile::encodeName(folder.file("x"));
        QVERIFY(QFile::link("key", folder.file("x")) && ::lchown(link, 1, 1) == 0 &&
                ::chmod(QFile::encodeName(folder.path()), 0775) == 0);
        const pid_t swapper = StartChild(
            [&file, &link] {
                for (;;)
                    ::renameat2(AT_FDCWD, file, AT_FDCWD, link, RENAME_EXCHANGE);
                return true;
            },
            RLIMIT_CORE, 0);
        // As many tries as a second takes: the more, the likelier a bad moment.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (int i = 0; std::chrono::steady_clock::now() < end && folder.read("key") == "KEY"; ++i) {
            ModHigh::LoadScores();
            FillTable("new", i % 1000);
            ModHigh::SaveScores();
        }
        ::kill(swapper, SIGKILL);
        ChildSucceeded(swapper);
        QCOMPARE(folder.read("key"), QByteArray("KEY"));
    }

    // Nowhere to keep a top score (no program folder, and the player's data
    // folder cannot be made): loading is silent, as for any missing table; the
    // save says where it tried, once, and the table in memory stays.
    void nowhereToSaveIsReportedOnce()
    {
        ScoreFolder folder;
        CapturedErrors errors;
        const QString gone = folder.path() + "/gone";
        platform::SetAppPath(gone.toStdString());
        folder.write("not a folder", "file");
        const QString blocked = folder.file("file") + "/share/snake-game";
        platform::SetUserDataPath(blocked.toStdString());
        FillTable("old", 50);
        ModHigh::LoadScores();
        QVERIFY(errors.messages.isEmpty());
        QCOMPARE(TableRows(), Rows({}));
        FillTable("old", 50);
        const QStringList before = TableRows();
        ModHigh::SaveScores();
        QCOMPARE(errors.messages.size(), 1);
        QVERIFY2(errors.messages[0].contains(blocked + "/scores.dat") && errors.messages[0].contains(gone),
                 qPrintable(errors.messages[0]));
        QCOMPARE(TableRows(), before);
        QVERIFY(!QFileInfo::exists(gone));
    }

    // A file that cannot be opened leaves the table from before.
    void unreadableFileKeepsPreviousTable()
    {
        ScoreFolder folder;
        folder.write(TenEntries());
        QFile::setPermissions(folder.file(), QFile::Permissions());
        QVERIFY(RunAsOrdinaryUser({folder.path(), folder.homePath()}, [&folder] {
            CapturedErrors errors;
            FillTable("old", 50);
            ModHigh::LoadScores();
            QCOMPARE(errors.messages.size(), 1);
            QVERIFY(errors.messages[0].contains(folder.file()));
            QCOMPARE(HighScores[0].Name, std::string("old0"));
        }));
    }

    void fullDiskLeavesOldFileWhole_data()
    {
        Columns<bool, int, QString>("folderWritable", "oldBytes", "told");
        AddRow("in place in a writable folder", true, 3560, QString("were written back"));
        AddRow("in place: the bytes written are put back", false, 3560, QString("were written back"));
        AddRow("in place, shorter than the table: cut back", false, 300, QString("were written back"));
    }

    // A write that runs out of room (a file-size limit fails writes as a full
    // disk would) reports once, saying that nothing changed, and leaves the
    // old file whole; the game does not die of the limit's signal.
    void fullDiskLeavesOldFileWhole()
    {
        const auto [folderWritable, oldBytes, told] = Fetch<bool, int, QString>("folderWritable", "oldBytes", "told");
        ScoreFolder folder;
        CapturedErrors errors;
        const QByteArray old = (TenEntries() + QByteArray(1000, 'T')).left(oldBytes);
        folder.write(old);
        if (!folderWritable) {
            QVERIFY(::chmod(QFile::encodeName(folder.file()).constData(), 0666) == 0);
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        }
        FillTable("new", 200);
        const QString file = folder.file();
        QVERIFY(RunInChild(
            [&, expected = told] {
                ModHigh::SaveScores();
                const bool told = errors.messages.size() == 1 && errors.messages[0].contains(file) &&
                                  errors.messages[0].contains(expected);
                if (!told)
                    qWarning("%s", qPrintable(errors.messages.join('\n')));
                return told;
            },
            RLIMIT_FSIZE, 1000));
        QCOMPARE(folder.read(), old);
        QCOMPARE(folder.entries(), QStringList{"scores.dat"});
    }
};

QTEST_MAIN(TestScoresFile)
#include "test_scores_file.moc"
