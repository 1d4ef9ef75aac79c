#include "clips/cVideo.h"

#include "imaging/cDIBSection.h"
#include "platform/VideoFile.h"
#include "platform/MessageBox.h"


#include <cstring>
#include <limits>

cVideo::cVideo() = default;
cVideo::~cVideo() = default;

void cVideo::fail(const QString& message) {
    m_file.reset();
    m_firstFrame = 0;
    platform::MsgBox(message, platform::vbInformation, platform::AppTitle());
}

bool cVideo::OpenAviFile(const QString& path) {
    m_path = path;
    m_file = std::make_unique<platform::VideoFile>();
    switch (m_file->Open(path)) {
        case platform::VideoFile::OpenResult::Ok:
            break;
        case platform::VideoFile::OpenResult::NoDecoder:
            fail(QStringLiteral("No suitable decompressor found for this video stream!"));
            return false;
        case platform::VideoFile::OpenResult::FileError:
            fail(QStringLiteral("There was an error working with the file:") + QLatin1Char('\n') + path);
            return false;
    }
    // Frame numbers count from the stream's start; empty chunks before the first picture
    // are frames too (they show the first picture).
    m_firstFrame = 0;
    const int width = m_file->Width();
    const int height = m_file->Height();
    m_frame.assign(size_t(dib::kInfoHeaderSize + dib::Stride24(width) * height), 0);
    dib::WriteInfoHeader(m_frame.data(), dib::Header24(width, height));
    return true;
}

int cVideo::NumberOfFrames() const {
    return m_file ? m_file->FrameCount() : 0;
}
bool cVideo::FrameCountIsExact() const {
    return m_file && m_file->CountIsExact();
}
double cVideo::StartSeconds() const {
    return m_file ? m_file->StartSeconds() : 0.0;
}
double cVideo::FrameSeconds(int frameNumber) const {
    return m_file ? m_file->FrameSeconds(frameNumber - m_firstFrame) : 0.0;
}
double cVideo::FramesPerSecond() const {
    return m_file ? m_file->FramesPerSecond() : 0.0;
}
int cVideo::FrameWidth() const {
    return m_file ? m_file->Width() : 0;
}
int cVideo::FrameHeight() const {
    return m_file ? m_file->Height() : 0;
}
std::shared_ptr<const platform::VideoFile::Layout> cVideo::Learnt() const {
    return m_file ? m_file->Learnt() : nullptr;
}
void cVideo::ReleaseBuffers() {
    if (m_file) m_file->ReleaseBuffers();
    std::vector<uint8_t>().swap(m_frame);
}
int cVideo::DecoderSeeks() const {
    return m_file ? m_file->Seeks() : 0;
}

const uint8_t* cVideo::AVIGetFrame(int frameNumber) {
    if (!m_file || !m_file->IsOpen()) return nullptr;
    const int height = m_file->Height();
    const int64_t stride = dib::Stride24(m_file->Width());
    if (m_frame.empty()) {
        m_frame.assign(size_t(dib::kInfoHeaderSize + stride * height), 0);
        dib::WriteInfoHeader(m_frame.data(), dib::Header24(m_file->Width(), height));
    }
    // Bottom-up: the picture's top row is the last row in memory.
    uint8_t* topRow = m_frame.data() + dib::kInfoHeaderSize + stride * (height - 1);
    if (!m_file->ReadFrame(frameNumber - m_firstFrame, topRow, -int(stride))) return nullptr;
    return m_frame.data();
}

bool cVideo::GetFrameInto(int frameNumber, cDIBSection& target) {
    return m_file && GetPreviewInto(frameNumber, target, QSize(m_file->Width(), m_file->Height()));
}

bool cVideo::GetPreviewInto(int frameNumber, cDIBSection& target, QSize size) {
    if (!m_file || !m_file->IsOpen() || size.isEmpty()) return false;
    if (target.Width() != size.width() || target.Height() != size.height() || !target.DIBSectionBitsPtr()) {
        if (!target.Create(size.width(), size.height())) return false;
    }
    return m_file->ReadFrameScaled(frameNumber - m_firstFrame, size.width(), size.height(),
                                   target.DIBSectionBitsPtr(), target.BytesPerScanLine());
}

bool cVideo::CreateFromPackedDIBPointer(const uint8_t* p) {
    return copyPackedDIB(p, nullptr);
}

bool cVideo::CreateFromPackedDIBPointer(const uint8_t* p, size_t size) {
    return copyPackedDIB(p, &size);
}

bool cVideo::copyPackedDIB(const uint8_t* p, const size_t* size) {
    if (!p) return false;
    if (size && *size < size_t(dib::kInfoHeaderSize)) return false;
    const dib::BitmapInfoHeader header = dib::ReadInfoHeader(p);
    // Palette frames and empty images are refused, and so is a header whose image size
    // cannot hold its rows: copying it would read past the bitmap.
    if (header.biBitCount < 16 || header.biSizeImage < 1) return false;
    if (header.biBitCount != 16 && header.biBitCount != 24 && header.biBitCount != 32) return false;
    if (header.biSize != uint32_t(dib::kInfoHeaderSize) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biHeight == std::numeric_limits<int32_t>::min())
        return false;
    const int64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
    const int64_t stride = ((int64_t(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    if (stride > int64_t(header.biSizeImage) || int64_t(header.biSizeImage) < stride * rows) return false;
    if (size && uint64_t(header.biSizeImage) > uint64_t(*size) - dib::kInfoHeaderSize) return false;
    if (header.biSizeImage > uint32_t(std::numeric_limits<int32_t>::max()) - 54) return false;
    m_info = header;
    m_bits.assign(p + dib::kInfoHeaderSize, p + dib::kInfoHeaderSize + header.biSizeImage);
    return true;
}
