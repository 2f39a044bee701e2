#pragma once

#include <QImage>
#include <QString>

namespace vlm {

// Writes a 24-bit Windows bitmap atomically; false (old file intact) on any failure.
bool saveWindowsBitmap(const QImage& picture, const QString& path, QString* error = nullptr);

} // namespace vlm
