#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <chrono>

namespace vlm {

struct MetafileJob {
    QString helper;  // path of the vlm-metafile executable
    QByteArray kind; // "wmf" or "emf"
    QByteArray data; // the whole metafile
    QSize box;       // the drawing is fitted inside this size
    std::chrono::milliseconds timeout{3000};
};

// Runs the helper on one metafile under resource limits and a wall-clock timeout (it is
// killed when that runs out) and returns what it rendered, or a null image on any failure.
// While the helper runs, the calling thread's event loop handles timers and painting, but not
// the user's input.
QImage renderMetafileInHelper(const MetafileJob& job);

} // namespace vlm
