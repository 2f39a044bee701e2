#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <chrono>
#include <optional>

namespace vlm {

struct DecodeJob {
    QString helper;  // path of the vlm-decode executable
    QByteArray kind; // "wmf", "emf" (drawings) or "webp", "tiff", "heif" (HEIC, HEIF, AVIF)
    QByteArray data; // the whole file
    QSize box;       // a drawing is fitted inside; a larger photo is scaled down to fit
    // Unset: 3 s for a drawing, 40 s for a photo (a 200-megapixel HEIC on a slow machine).
    std::optional<std::chrono::milliseconds> timeout;
};

// Runs the picture helper on one file under resource limits and a wall-clock timeout (it is
// killed when that runs out) and returns what it decoded, upright, or a null image on any
// failure. A photo comes without transparency, laid on white.
// While the helper runs, the calling thread's event loop handles timers and painting, but not
// the user's input.
QImage decodeInHelper(const DecodeJob& job);

} // namespace vlm
