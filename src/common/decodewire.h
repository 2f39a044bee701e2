#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What the picture helper (vlm-decode) writes to its standard output and the program accepts
// back: 8 magic bytes, width and height as little-endian uint32, then the pixels, rows top to
// bottom, nothing after. Each pixel is a little-endian uint32 0xAARRGGBB: drawings (wmf, emf,
// svg) keep their transparency (not premultiplied); raster pictures (photographs and other pixel
// kinds) come opaque, alpha 0xFF, any transparency already laid on white as the wallpaper bitmap
// has it. That is how Qt holds an RGB32 image on little-endian machines, so a photo needs no
// conversion on its way: the decoder's pixels go to the pipe, the X server and the bitmap as they
// are.
namespace vlm::decodewire {

inline constexpr std::size_t kHeaderSize = 16;

struct Format {
    char magic[8];
    std::uint32_t bytesPerPixel;
    bool opaque; // every alpha is 0xFF
    std::uint32_t maxSide;
    std::uint64_t maxPixels;
    std::int64_t maxInputBytes; // larger files are not handed to the decoders at all
};

// Drawings are fitted to the screen: enough for an 8K one.
inline constexpr Format kDrawing{.magic = {'V', 'L', 'M', 'P', 'I', 'X', '0', '1'},
                                 .bytesPerPixel = 4,
                                 .opaque = false,
                                 .maxSide = 16384,
                                 .maxPixels = 40'000'000,
                                 .maxInputBytes = 32 * 1024 * 1024};
// Photos come at the size asked for, at most their own, up to what phones take (200
// megapixels); the input cap holds such a photo as an uncompressed 8-bit TIFF.
inline constexpr Format kRaster{.magic = {'V', 'L', 'M', 'R', 'G', 'B', '3', '2'},
                                .bytesPerPixel = 4,
                                .opaque = true,
                                .maxSide = 65535,
                                .maxPixels = 200'000'000,
                                .maxInputBytes = std::int64_t{768} * 1024 * 1024};

// The drawing limits under their first names.
inline constexpr std::uint32_t kMaxSide = kDrawing.maxSide;
inline constexpr std::uint64_t kMaxPixels = kDrawing.maxPixels;
inline constexpr std::int64_t kMaxInputBytes = kDrawing.maxInputBytes;

inline constexpr bool isDrawingKind(std::string_view kind) {
    return kind == "wmf" || kind == "emf" || kind == "svg";
}
inline constexpr bool isRasterKind(std::string_view kind) {
    return kind == "jpeg" || kind == "png" || kind == "gif" || kind == "bmp" || kind == "ico" ||
           kind == "webp" || kind == "tiff" || kind == "heif" || kind == "jxl";
}
// The kinds vlm-decode-common decodes as well as vlm-decode: it links only Qt and libjpeg, so it
// starts in a fraction of the time.
inline constexpr bool isCommonKind(std::string_view kind) {
    return kind == "jpeg" || kind == "png" || kind == "gif" || kind == "bmp" || kind == "ico";
}
// How the helper ends; the program tells the user why a picture cannot be shown from this.
enum HelperExit : int {
    kDecoded = 0,
    kBroken = 1,       // the decoder found the file broken, or of another kind
    kBadArguments = 2, // the program asked for something the helper does not do
    kTooLarge = 3,     // the picture's size, or the file's, is past the limits
    kWriteFailed = 4,  // the program stopped reading the answer
    kNotConfined = 5,  // the helper could not confine itself, so it decoded nothing
    kRefused = 6,      // a limit of the decoder's (a JPEG's scan count) refused it
};

// `vlm-decode-common serve` takes requests on its standard input, a sequenced-packet socket:
// each is the arguments of a one-picture run separated by spaces, with the picture's and the
// answer's descriptors (SCM_RIGHTS). A fresh process forked for the request decodes it, and
// the server replies with how that process ended.
inline constexpr std::size_t kMostRequestBytes = 64;
struct ServedExit {
    std::int32_t signalled; // 1: ended by a signal (a limit, the filter), 0: exited
    std::int32_t value;     // the signal, or the exit status (HelperExit)
};

// The format of a kind's answer; null for a kind the helper does not know.
inline constexpr const Format* formatFor(std::string_view kind) {
    return isDrawingKind(kind) ? &kDrawing : isRasterKind(kind) ? &kRaster : nullptr;
}

} // namespace vlm::decodewire
