#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What the picture helper (vlm-decode) writes to its standard output and the program accepts
// back: 8 magic bytes, width and height as little-endian uint32, then the pixels, rows top to
// bottom, nothing after. Drawings (wmf, emf) come as little-endian uint32 0xAARRGGBB (not
// premultiplied); raster pictures (photographs and other pixel kinds) as R, G, B bytes with any
// transparency already laid on white, as the wallpaper bitmap has it, so a 200-megapixel photo
// takes 600 MB rather than 800 MB through the pipe and in the program.
namespace vlm::decodewire {

inline constexpr std::size_t kHeaderSize = 16;

struct Format {
    char magic[8];
    std::uint32_t bytesPerPixel;
    std::uint32_t maxSide;
    std::uint64_t maxPixels;
    std::int64_t maxInputBytes; // larger files are not handed to the decoders at all
};

// Drawings are fitted to the screen: enough for an 8K one.
inline constexpr Format kDrawing{.magic = {'V', 'L', 'M', 'P', 'I', 'X', '0', '1'},
                                 .bytesPerPixel = 4,
                                 .maxSide = 16384,
                                 .maxPixels = 40'000'000,
                                 .maxInputBytes = 32 * 1024 * 1024};
// Photos come at their own size, up to what phones take (200 megapixels); the input cap holds
// such a photo as an uncompressed 8-bit TIFF.
inline constexpr Format kRaster{.magic = {'V', 'L', 'M', 'R', 'G', 'B', '0', '1'},
                                .bytesPerPixel = 3,
                                .maxSide = 65535,
                                .maxPixels = 200'000'000,
                                .maxInputBytes = std::int64_t{768} * 1024 * 1024};

// The drawing limits under their first names.
inline constexpr std::uint32_t kMaxSide = kDrawing.maxSide;
inline constexpr std::uint64_t kMaxPixels = kDrawing.maxPixels;
inline constexpr std::int64_t kMaxInputBytes = kDrawing.maxInputBytes;

inline constexpr bool isDrawingKind(std::string_view kind) {
    return kind == "wmf" || kind == "emf";
}
inline constexpr bool isRasterKind(std::string_view kind) {
    return kind == "jpeg" || kind == "png" || kind == "gif" || kind == "bmp" || kind == "ico" ||
           kind == "webp" || kind == "tiff" || kind == "heif";
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

// The format of a kind's answer; null for a kind the helper does not know.
inline constexpr const Format* formatFor(std::string_view kind) {
    return isDrawingKind(kind) ? &kDrawing : isRasterKind(kind) ? &kRaster : nullptr;
}

} // namespace vlm::decodewire
