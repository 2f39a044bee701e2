#pragma once

#include <QByteArray>
#include <QString>

namespace vlm {

// Replaces the file at path with bytes atomically: the old file stays intact unless every
// byte was written and committed. Returns false (with a reason in error) otherwise.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace vlm
