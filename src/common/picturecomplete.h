#pragma once

#include <QByteArrayView>
#include <QIODevice>

namespace vlm {

// False when a BMP or GIF file ends before the data its headers announce. Qt decodes such
// files into a partial picture padded with whatever the buffer held; a truncated file is a
// failed load instead. Other kinds are left to their decoders (a truncated JPEG fails there).
// Reads from the start of device and leaves it at the start.
bool hasAllItsData(QIODevice& device, QByteArrayView format);

} // namespace vlm
