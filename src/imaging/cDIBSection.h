#pragma once
// The system's image buffer: a 24-bit bitmap of blue-green-red pixels, rows padded to four
// bytes. The pixels live in a top-down QImage (Format_BGR888, whose rows are byte for byte
// a DIB's rows) because QImage cannot paint over bottom-up memory; the bitmap header still
// describes the bottom-up form, and every packed bitmap or BMP file that enters or leaves
// is flipped at that edge.

#include "imaging/DibFormat.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class FrameArena;

class cDIBSection {
public:
    static constexpr int SRCCOPY = 0xCC0020;

    cDIBSection() = default;
    ~cDIBSection();
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // Fills the header for lWidth x lHeight at 24 bits and allocates the pixels into hDib.
    bool CreateDIB(int lWidth, int lHeight, QImage& hDib);
    // Makes this buffer a copy of the picture; false when the picture is empty or too big.
    bool CreateFromPicture(const QImage& picThis);
    // Makes this buffer a copy of a packed 24-bit bitmap (40-byte header + rows, bottom-up
    // for a positive height, top-down for a negative one); validates everything against size.
    bool CreateFromPackedDIB(const uint8_t* packed, size_t size);
    // A black buffer of the given size; false (and empty) for sizes that cannot be had.
    bool Create(int lWidth, int lHeight);
    // A black buffer of the arena's frame size over slot `slot` of the arena, instead of memory
    // of its own; false (and empty) when the slot cannot be had. The picture keeps the arena
    // alive, copies of it included; ClearUp lets go of the slot, never of the arena.
    bool CreateInArena(const std::shared_ptr<FrameArena>& arena, int slot);
    int BytesPerScanLine() const;
    int Width() const { return m_bmi.biWidth; }
    int Height() const { return m_bmi.biHeight; }
    // Plain copy from a picture at (lSrcLeft, lSrcTop) to (0, 0) of this buffer; a negative
    // width or height means this buffer's.
    void LoadPictureBlt(const QImage& lHDC, int lSrcLeft, int lSrcTop, int lSrcWidth = -1,
                        int lSrcHeight = -1, int eRop = SRCCOPY);
    // What the compositor draws from (and may draw into); null when the buffer is empty.
    QImage* HDC() { return m_image ? m_image.get() : nullptr; }
    const QImage* HDC() const { return m_image ? m_image.get() : nullptr; }
    // First byte of the top row (rows run top-down in memory); null when empty.
    uint8_t* DIBSectionBitsPtr() { return m_bits; }
    const uint8_t* DIBSectionBitsPtr() const { return m_bits; }
    void ClearUp();
    // A new buffer of the given size filled by bilinear interpolation; null when it cannot be made.
    std::unique_ptr<cDIBSection> Resample(int lNewHeight, int lNewWidth) const;

    // The packed form: 40-byte header followed by bottom-up rows. Empty when the buffer is.
    QByteArray PackedDIB() const;
    // A standard 24-bit bottom-up BMP file's bytes. Empty when the buffer is.
    QByteArray BmpFileBytes() const;

private:
    dib::BitmapInfoHeader m_bmi;
    std::unique_ptr<QImage> m_image;
    uint8_t* m_bits = nullptr;
};
