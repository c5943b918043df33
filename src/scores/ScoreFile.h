#pragma once
// The byte layout of scores.dat: 20 records of 128 bytes, a name record and a
// score record for each entry, little-endian, no header.
#include "scores/ModHigh.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <string>
#include <string_view>

namespace ModHigh {

// Bytes in one record of the file.
inline constexpr qsizetype RecordBytes = 128;
// Bytes of a fully written table: ten entries of two records each.
inline constexpr qsizetype TableBytes = RecordBytes * 2 * 10;
// Longest name a record can hold after its 2-byte length.
inline constexpr int MaxNameLength = RecordBytes - 2;

using ScoreTable = std::array<ScoreEntry, 10>;

// The table held in the first TableBytes of `fileBytes`. Bytes past the end
// read as zero; a name length over MaxNameLength reads only its own record.
ScoreTable DecodeScoreFile(QByteArrayView fileBytes);

// The bytes of the table: TableBytes of them, zero filler. Whatever follows
// them in the file is left to the writer.
QByteArray EncodeScoreFile(const ScoreTable& table);

// `utf8` cut to its first MaxNameLength code points (one byte each on disk).
std::string CutToNameLength(std::string_view utf8);

} // namespace ModHigh
