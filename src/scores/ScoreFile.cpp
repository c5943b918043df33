#include "scores/ScoreFile.h"

#include "scores/Cp1252.h"

#include <QList>
#include <QString>
#include <QtEndian>

#include <algorithm>

namespace ModHigh {

namespace {

qsizetype NameRecordOffset(std::size_t entry)
{
    return static_cast<qsizetype>(entry) * 2 * RecordBytes;
}
qsizetype ScoreRecordOffset(std::size_t entry)
{
    return NameRecordOffset(entry) + RecordBytes;
}

} // namespace

ScoreTable DecodeScoreFile(QByteArrayView fileBytes)
{
    // Work on a zero-padded copy so that a short file reads as zeros.
    QByteArray image = fileBytes.first(std::min(fileBytes.size(), TableBytes)).toByteArray();
    image.resize(TableBytes, '\0');
    const auto* data = reinterpret_cast<const uchar*>(image.constData());

    ScoreTable table;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const qsizetype nameAt = NameRecordOffset(i);
        const int length = std::min<int>(qFromLittleEndian<quint16>(data + nameAt), MaxNameLength);
        table[i].Name =
            Cp1252ToUtf8(std::string_view(image.constData() + nameAt + 2, static_cast<std::size_t>(length)));
        table[i].Score = qFromLittleEndian<qint16>(data + ScoreRecordOffset(i));
    }
    return table;
}

QByteArray EncodeScoreFile(const ScoreTable& table)
{
    QByteArray bytes(TableBytes, '\0');
    auto* data = reinterpret_cast<uchar*>(bytes.data());
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::string name = Utf8ToCp1252(table[i].Name);
        // Never write past the record, whatever reached the table.
        name.resize(std::min(name.size(), static_cast<std::size_t>(MaxNameLength)));
        const qsizetype nameAt = NameRecordOffset(i);
        qToLittleEndian<quint16>(static_cast<quint16>(name.size()), data + nameAt);
        std::copy(name.begin(), name.end(), bytes.begin() + nameAt + 2);
        qToLittleEndian<qint16>(table[i].Score, data + ScoreRecordOffset(i));
    }
    return bytes;
}

std::string CutToNameLength(std::string_view utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QList<uint> codePoints = text.toUcs4();
    if (codePoints.size() <= MaxNameLength)
        return std::string(utf8);
    const std::u32string kept(codePoints.begin(), codePoints.begin() + MaxNameLength);
    return QString::fromUcs4(kept.data(), MaxNameLength).toStdString();
}

} // namespace ModHigh
