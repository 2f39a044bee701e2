#pragma once

#include <QByteArrayView>
#include <QStringList>
#include <span>

namespace vlm {

enum class PictureKind {
    Unknown,
    Bmp,
    Jpeg,
    Png,
    Gif,
    Ico,
    Wmf,
    Emf,
    Webp,
    Tiff,
    Avif,
    Heif,
    Jxl,
    Svg,
    GnomeBackground,
};

// Where a kind's pictures are decoded. Decoders with a record of memory-safety faults on crafted
// files run in the vlm-decode helper process, never in the program.
enum class PictureDecoder {
    QtReader,      // Qt's own reader for `format`, named explicitly (no plugin guesses the kind)
    LibJpeg,       // libjpeg-turbo in the program; Qt's reader for what it does not take
    HelperRaster,  // the helper, kind `format`: the whole picture, upright
    HelperDrawing, // the helper, kind `format`: a drawing fitted to the box asked for
    // Read by the program: a GNOME background file, which names the picture to show. Its name
    // pattern is only a hint: files of it are offered when their content is such a file.
    BackgroundFile,
};

// One kind of picture: how its content is recognised, the names the picker offers, and where
// it decodes. Adding a kind is one row here and, where it is new, one decoder.
struct PictureKindRow {
    PictureKind kind;
    bool (*recognises)(QByteArrayView head);
    const char* extensions; // separated by spaces, without dots
    PictureDecoder decoder;
    const char* format; // Qt's format name, or the helper's kind name
};

std::span<const PictureKindRow> pictureKinds();

// The row of a kind; null for Unknown.
const PictureKindRow* pictureKindRow(PictureKind kind);

// How many leading bytes sniffPictureKind needs to tell every kind apart: XML kinds are told by
// their root element, which may follow a declaration, a document type and comments.
inline constexpr qsizetype kPictureSniffBytes = 4096;

// Tells a picture's kind from its first bytes; the file name plays no part, so a BMP saved
// as .dib or a JPEG with a wrong extension is still recognised, and a renamed text file is not.
PictureKind sniffPictureKind(QByteArrayView head);

// "*.bmp", "*.jpg", ...: every extension of every kind told by its name, for a case-insensitive
// name filter.
QStringList pictureNamePatterns();
// "*.xml": the names of kinds whose files are offered only once their content is checked.
QStringList contentCheckedNamePatterns();

} // namespace vlm
