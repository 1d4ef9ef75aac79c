#pragma once
// The on-disk and in-memory layouts of device-independent bitmaps: the 40-byte info header,
// the 14-byte file header, and the little-endian byte helpers that read and write them.
// Packed bitmaps (info header + rows) and BMP files keep rows bottom-up when the height is
// positive; the buffers Qt paints on are top-down, so rows are flipped where bytes cross.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dib {

constexpr int kInfoHeaderSize = 40;
constexpr int kFileHeaderSize = 14;
constexpr uint16_t kBmpType = 0x4D42;  // "BM"
constexpr uint32_t kBiRgb = 0;

struct BitmapInfoHeader {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

struct BitmapFileHeader {
    uint16_t bfType = 0;
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 0;
};

inline uint16_t ReadU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Reads the first 40 bytes at p (the caller guarantees they exist).
inline BitmapInfoHeader ReadInfoHeader(const uint8_t* p) {
    BitmapInfoHeader h;
    h.biSize = ReadU32(p);
    h.biWidth = int32_t(ReadU32(p + 4));
    h.biHeight = int32_t(ReadU32(p + 8));
    h.biPlanes = ReadU16(p + 12);
    h.biBitCount = ReadU16(p + 14);
    h.biCompression = ReadU32(p + 16);
    h.biSizeImage = ReadU32(p + 20);
    h.biXPelsPerMeter = int32_t(ReadU32(p + 24));
    h.biYPelsPerMeter = int32_t(ReadU32(p + 28));
    h.biClrUsed = ReadU32(p + 32);
    h.biClrImportant = ReadU32(p + 36);
    return h;
}

inline void WriteInfoHeader(uint8_t* p, const BitmapInfoHeader& h) {
    WriteU32(p, h.biSize);
    WriteU32(p + 4, uint32_t(h.biWidth));
    WriteU32(p + 8, uint32_t(h.biHeight));
    WriteU16(p + 12, h.biPlanes);
    WriteU16(p + 14, h.biBitCount);
    WriteU32(p + 16, h.biCompression);
    WriteU32(p + 20, h.biSizeImage);
    WriteU32(p + 24, uint32_t(h.biXPelsPerMeter));
    WriteU32(p + 28, uint32_t(h.biYPelsPerMeter));
    WriteU32(p + 32, h.biClrUsed);
    WriteU32(p + 36, h.biClrImportant);
}

inline void WriteFileHeader(uint8_t* p, const BitmapFileHeader& h) {
    WriteU16(p, h.bfType);
    WriteU32(p + 2, h.bfSize);
    WriteU16(p + 6, h.bfReserved1);
    WriteU16(p + 8, h.bfReserved2);
    WriteU32(p + 10, h.bfOffBits);
}

// Row length of a 24-bit bitmap: 3 bytes a pixel, padded to a multiple of 4.
constexpr int64_t Stride24(int64_t width) {
    return (width * 3 + 3) & ~int64_t(3);
}

// The header of a 24-bit bottom-up bitmap of the given size.
inline BitmapInfoHeader Header24(int32_t width, int32_t height) {
    BitmapInfoHeader h;
    h.biSize = kInfoHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = kBiRgb;
    h.biSizeImage = uint32_t(Stride24(width) * height);
    return h;
}

}  // namespace dib
