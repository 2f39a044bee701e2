#pragma once

#include "decoder/confine.h"
#include "decoder/decoders.h"

#include <string_view>

namespace vlm::decoder {

// One kind of picture the helper decodes, as the program names it on the command line.
struct Kind {
    std::string_view name;
    QImage (*decode)(const QByteArray& data, const Box& box);
    // The upright size from the header; null: the picture is decoded small for its aspect.
    QSize (*measure)(const QByteArray& data) = nullptr;
    bool needsFonts = false; // text in the drawing uses the font database: a GUI application
    // What its decoder loads late: the one Qt plugin named, nothing (""), or null for all that
    // any decoder loads, where the decoder's libraries may load more than their own.
    const char* lateLibraries = nullptr;
    // Hands the rows on as they decode where it can, before decode is tried; null: never.
    Streamed (*stream)(const QByteArray& data, const Box& box, RowWriter& out) = nullptr;

    LateLibraries late() const {
        if (!lateLibraries)
            return {};
        const QString plugin = QString::fromLatin1(lateLibraries);
        return {plugin.isEmpty() ? QStringList() : QStringList{plugin}, false, false};
    }
};

// The kinds this helper executable decodes (each executable links its own table); null for
// a kind it does not.
const Kind* findKind(std::string_view name);

// BMP, PNG, GIF and ICO through Qt's reader for that format, named explicitly.
template <const char* format> QImage decodeWithQtAs(const QByteArray& data, const Box& box) {
    return decodeWithQt(data, box, format);
}
inline constexpr char kPng[] = "png", kGif[] = "gif", kBmp[] = "bmp", kIco[] = "ico";

// The common kinds, which both helper executables decode.
inline constexpr Kind kCommonKinds[] = {
    {"jpeg", decodeJpeg, measureJpeg, false, "imageformats/libqjpeg.so", streamJpeg},
    {"png", decodeWithQtAs<kPng>, measurePng, false, ""},
    {"gif", decodeWithQtAs<kGif>, measureGif, false, "imageformats/libqgif.so"},
    {"bmp", decodeWithQtAs<kBmp>, measureBmp, false, ""},
    {"ico", decodeWithQtAs<kIco>, nullptr, false, "imageformats/libqico.so"},
};

} // namespace vlm::decoder
