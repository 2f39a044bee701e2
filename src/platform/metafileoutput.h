#pragma once

#include <QByteArray>
#include <QImage>

namespace vlm {

// Turns what the metafile helper wrote to its standard output into an image. Anything but a
// well-formed header with bounded dimensions followed by exactly the pixels it announces gives
// a null image: the helper runs old decoders on hostile files, so its output is not trusted.
QImage parseMetafileOutput(const QByteArray& bytes);

} // namespace vlm
