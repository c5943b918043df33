// libFuzzer target: any bytes through the score file reader and writer.
#include "scores/ScoreFile.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

bool sameTable(const ModHigh::ScoreTable& a, const ModHigh::ScoreTable& b)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].Name != b[i].Name || a[i].Score != b[i].Score)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ModHigh::ScoreTable table = ModHigh::DecodeScoreFile(bytes);
    for (const auto& entry : table) {
        if (QString::fromStdString(entry.Name).toUcs4().size() > ModHigh::MaxNameLength)
            __builtin_trap();
    }
    // Whatever was read must be written back, exactly a table long, and read
    // again unchanged.
    const QByteArray written = ModHigh::EncodeScoreFile(table);
    if (written.size() != ModHigh::TableBytes)
        __builtin_trap();
    if (!sameTable(ModHigh::DecodeScoreFile(written), table))
        __builtin_trap();
    return 0;
}
