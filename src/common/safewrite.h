#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace vlm {

// From now on the program writes no file (every write fails): its files were removed for good
// by the uninstall command line, and a copy still running must not bring them back.
void stopWritingFiles();
bool writingFilesStopped();

// Replaces the file at path with bytes atomically: the old file stays intact unless every
// byte was written and committed. Returns false (with a reason in error) otherwise.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The same for content too large to hold at once: write puts it into the device piece by piece
// and returns false on the first piece the device did not take whole. size is its length.
bool writeFileAtomically(const QString& path, qint64 size,
                         const std::function<bool(QIODevice&)>& write, QString* error = nullptr);

} // namespace vlm
