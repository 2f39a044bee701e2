#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vlm::metafile {

// The largest size with the aspect of natural that fits inside box, at least 1 x 1;
// an invalid size when natural has no positive, finite width and height.
QSize fitInside(double naturalWidth, double naturalHeight, QSize box);

// Each returns a null image when the decoder rejects the data. Drawing is fitted to box.
QImage renderWmf(const QByteArray& data, QSize box);
// Needs a QGuiApplication (text in the drawing uses the font database).
QImage renderEmf(const QByteArray& data, QSize box);

} // namespace vlm::metafile
