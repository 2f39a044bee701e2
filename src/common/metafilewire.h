#pragma once

#include <cstddef>
#include <cstdint>

// What the metafile helper writes to its standard output and the program accepts back:
// 8 magic bytes, width and height as little-endian uint32, then width * height pixels as
// little-endian uint32 0xAARRGGBB (not premultiplied), rows top to bottom, nothing after.
namespace vlm::metafilewire {

inline constexpr char kMagic[8] = {'V', 'L', 'M', 'P', 'I', 'X', '0', '1'};
inline constexpr std::size_t kHeaderSize = 16;

// Enough for an 8K screen; anything larger is refused on both sides of the pipe.
inline constexpr std::uint32_t kMaxSide = 16384;
inline constexpr std::uint64_t kMaxPixels = 40'000'000;
inline constexpr std::uint64_t kMaxOutputBytes = kHeaderSize + kMaxPixels * 4;

// Metafiles larger than this are not handed to the decoders at all.
inline constexpr std::int64_t kMaxInputBytes = 32 * 1024 * 1024;

} // namespace vlm::metafilewire
