#pragma once
// The picture inside a packed 24-bit bitmap as the clip reader hands it out (header, then
// bottom-up rows); null when there is none or it does not hold together.

#include "imaging/DibFormat.h"
#include "imaging/cDIBSection.h"

#include <QImage>

#include <cstddef>
#include <cstdint>

inline QImage PictureOfPacked(const uint8_t* packed) {
    if (!packed) return {};
    const dib::BitmapInfoHeader h = dib::ReadInfoHeader(packed);
    cDIBSection section;
    if (!section.CreateFromPackedDIB(packed, dib::kInfoHeaderSize + size_t(h.biSizeImage))) return {};
    return section.HDC()->copy();
}
