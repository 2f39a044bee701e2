#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vlm::decoder {

// The size a picture is wanted at. A preview wants it inside `size`; the wallpaper wants the
// smallest size at which it still covers `size` (the widest and the tallest monitor), so the
// desktop never enlarges it. A photo is never enlarged: one already no larger comes as it is. A
// drawing has no pixel size of its own and is drawn at exactly the fitting or covering size.
struct Box {
    QSize size;
    bool cover = false;
};

// A drawing of this natural size (any unit) drawn for box, within the drawing limits of
// decodewire.h; an invalid size when natural has no positive, finite width and height.
QSize drawingSize(double naturalWidth, double naturalHeight, const Box& box);
// A transparent canvas to draw such a drawing on (premultiplied ARGB32); null when the natural
// size is not valid or the memory cannot be had.
QImage drawingCanvas(QSizeF natural, const Box& box);
// A photo of this size, shrunk for box (aspect kept), or its own size when it needs no
// shrinking.
QSize photoSize(QSize natural, const Box& box);

// Each returns a null image when the decoder rejects the data.
QImage renderWmf(const QByteArray& data, const Box& box);
// Needs a QGuiApplication (text in the drawing uses the font database).
QImage renderEmf(const QByteArray& data, const Box& box);
// SVG, or SVGZ inflating to no more than a plain SVG may hold. Only the document itself is
// read: no file or address it names.
QImage decodeSvg(const QByteArray& data, const Box& box);

// Photos: the first picture of the file, upright, at its own size or shrunk for box.
QImage decodeWebp(const QByteArray& data, const Box& box);
QImage decodeTiff(const QByteArray& data, const Box& box);
// HEIC, HEIF and AVIF: the primary picture.
QImage decodeHeif(const QByteArray& data, const Box& box);
// JPEG: libjpeg-turbo for colour photographs, decoded at the smallest scale the box allows;
// Qt's reader for the rest. Both upright by the Exif orientation.
QImage decodeJpeg(const QByteArray& data, const Box& box);

// Where a photo's rows go when they are handed on as they decode, with no image of the whole
// picture: RGB32 words, whole rows, top to bottom.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // Before the first row. False: the rows cannot be taken.
    virtual bool start(QSize size) = 0;
    virtual bool rows(const uchar* pixels, qsizetype bytes) = 0;
};
enum class Streamed {
    NotTaken, // nothing was written: decode the picture whole
    Written,
    Failed, // after start(): the picture is broken, or the writer failed
};
// A colour JPEG that libjpeg's own scale brings to exactly the size wanted for box, already
// upright (the usual 4K photograph on a 1080p screen), decoded into a strip of rows that goes to
// out as it fills.
Streamed streamJpeg(const QByteArray& data, const Box& box, RowWriter& out);
// BMP, PNG, GIF, ICO with Qt's reader for `format`, named explicitly (no plugin guesses a kind).
QImage decodeWithQt(const QByteArray& data, const Box& box, const char* format);
// JPEG XL: the first frame.
QImage decodeJxl(const QByteArray& data, const Box& box);

// The picture's upright size, read from its header without decoding; invalid when the header
// cannot be read. (Kinds without such a reader are decoded small for their aspect.)
QSize measureJpeg(const QByteArray& data);
QSize measurePng(const QByteArray& data);
QSize measureGif(const QByteArray& data); // its logical screen, which it is decoded at
QSize measureBmp(const QByteArray& data);
QSize measureHeif(const QByteArray& data);

// Shared by the photo decoders (raster.cpp).
// Why a decoder gave up on a picture it could have read, as opposed to a broken file. The
// process decodes one picture, so the last refusal is the picture's.
enum class Refusal { None, TooLarge, Limit };
void noteRefusal(Refusal refusal);
Refusal refusal();
// Whether a photo of this size may be decoded at all: checked before pixels are allocated. A
// refusal is noted as TooLarge.
bool rasterSizeAllowed(qint64 width, qint64 height);
// The orientation stored in an Exif block (1 to 8; 1 when absent or unreadable), which may
// start with "Exif\0\0" or directly with its TIFF header.
int exifOrientation(const QByteArray& exif);
// Whether a stored picture of this size is scaled down for box once upright. Such a
// picture is best decoded to 4 bytes a pixel (RGBX8888 when opaque): the scaler takes that
// without a converted copy, which at 200 megapixels would be 800 MB.
bool shrinksToFit(QSize stored, int orientation, const Box& box);
// image as stored, turned upright by its Exif/TIFF orientation, and shrunk for box.
QImage uprightWithin(QImage image, int orientation, const Box& box);

} // namespace vlm::decoder
