#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vlm::decoder {

// The largest size with the aspect of natural that fits inside box, at least 1 x 1;
// an invalid size when natural has no positive, finite width and height.
QSize fitInside(double naturalWidth, double naturalHeight, QSize box);

// Each returns a null image when the decoder rejects the data. Drawing is fitted to box.
QImage renderWmf(const QByteArray& data, QSize box);
// Needs a QGuiApplication (text in the drawing uses the font database).
QImage renderEmf(const QByteArray& data, QSize box);

// Photos: the first picture of the file, upright, at its own size or scaled down to fit box.
QImage decodeWebp(const QByteArray& data, QSize box);
QImage decodeTiff(const QByteArray& data, QSize box);
// HEIC, HEIF and AVIF: the primary picture.
QImage decodeHeif(const QByteArray& data, QSize box);

// Shared by the photo decoders (raster.cpp).
// Whether a photo of this size may be decoded at all: checked before pixels are allocated.
bool rasterSizeAllowed(qint64 width, qint64 height);
// The orientation stored in an Exif block (1 to 8; 1 when absent or unreadable), which may
// start with "Exif\0\0" or directly with its TIFF header.
int exifOrientation(const QByteArray& exif);
// Whether a stored picture of this size is scaled down to fit box once upright. Such a
// picture is best decoded to 4 bytes a pixel (RGBX8888 when opaque): the scaler takes that
// without a converted copy, which at 200 megapixels would be 800 MB.
bool shrinksToFit(QSize stored, int orientation, QSize box);
// image as stored, turned upright by its Exif/TIFF orientation, and scaled down to fit box.
QImage uprightWithin(QImage image, int orientation, QSize box);

} // namespace vlm::decoder
