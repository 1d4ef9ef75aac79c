#pragma once
// Reads the video stream of a clip (AVI, MP4, MOV, MKV, ...) frame by frame. Each frame comes out as a
// packed 24-bit bitmap (40-byte header followed by bottom-up rows padded to four bytes),
// can be copied into the reader's own buffers, or can go straight into a cDIBSection.

#include "imaging/DibFormat.h"
#include "platform/VideoFile.h"

#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class cDIBSection;

class cVideo {
public:
    cVideo();
    ~cVideo();
    cVideo(const cVideo&) = delete;
    cVideo& operator=(const cVideo&) = delete;

    // Opens the file's first video stream and its decoder; tells the user and returns false
    // when that cannot be done.
    bool OpenAviFile(const QString& path);
    // Frame n as a packed 24-bit bottom-up bitmap, valid until the next call; null when the
    // frame number is outside the clip or the frame cannot be decoded.
    const uint8_t* AVIGetFrame(int frameNumber);
    // Frame n straight into a buffer, without the packed form in between.
    bool GetFrameInto(int frameNumber, cDIBSection& target);
    // Frame n at `size`, each pixel the average of those it covers: a preview that costs a
    // fraction of the whole frame.
    bool GetPreviewInto(int frameNumber, cDIBSection& target, QSize size);
    // Copies a packed bitmap of at least 16 bits per pixel into the reader's buffers; on
    // refusal nothing changes. The first form trusts the header to say how long the bitmap
    // is (as frames from AVIGetFrame do); the second checks the bitmap against `size`.
    bool CreateFromPackedDIBPointer(const uint8_t* p);
    bool CreateFromPackedDIBPointer(const uint8_t* p, size_t size);

    // The frames known so far: exact once the clip has been read to its end, before that the
    // count its index or headers give (a clip whose headers lie is counted while it loads).
    int NumberOfFrames() const;
    bool FrameCountIsExact() const;
    int FirstFrame() const { return m_firstFrame; }
    const QString& Path() const { return m_path; }
    double FramesPerSecond() const;
    // When frame n is shown, in seconds from the first frame.
    double FrameSeconds(int frameNumber) const;
    // Where the first frame lies on the clock the file's streams share (its sound's too).
    double StartSeconds() const;
    // Size of the stream's frames, known from the open on.
    int FrameWidth() const;
    int FrameHeight() const;
    // How often the decoder had to go back or jump ahead in the file since the open.
    int DecoderSeeks() const;
    // Lets go of the decoder's pictures, for a reader kept for what it knows of the clip.
    void ReleaseBuffers();
    // What reading has learnt of where the clip's frames lie, for a second reader of the file.
    std::shared_ptr<const platform::VideoFile::Layout> Learnt() const;

    // The copied frame.
    int Width() const { return m_info.biWidth; }
    int Height() const { return m_info.biHeight; }
    int SizeImage() const { return int(m_info.biSizeImage); }
    const uint8_t* PointerToBits() const { return m_bits.empty() ? nullptr : m_bits.data(); }

private:
    void fail(const QString& message);
    bool copyPackedDIB(const uint8_t* p, const size_t* size);

    std::unique_ptr<platform::VideoFile> m_file;
    QString m_path;
    int m_firstFrame = 0;
    // The frame handed out by AVIGetFrame: header + bottom-up rows.
    std::vector<uint8_t> m_frame;
    // The frame copied by CreateFromPackedDIBPointer.
    dib::BitmapInfoHeader m_info;
    std::vector<uint8_t> m_bits;
};
