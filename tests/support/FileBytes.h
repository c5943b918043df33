#pragma once
// Whole files written and read by test set-ups and checks.
#include <QByteArray>
#include <QString>

// Replaces the file's content with exactly `bytes`; false when it cannot.
bool WriteFileBytes(const QString& path, const QByteArray& bytes);
// The file's bytes; a null array when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
