#pragma once
// The AVI reader's link to FFmpeg: opens the first video stream of an AVI file, learns
// where every frame lies in time, and decodes any frame to 24-bit blue-green-red rows.
// All of FFmpeg stays behind this file; every FFmpeg object has exactly one owner here.
//
// Frames are numbered by time: an AVI holds one chunk per frame period, and a capture that
// dropped a frame writes an empty chunk. FFmpeg does not hand such chunks out; it leaves a
// gap in the timestamps instead (and says nothing of empty chunks at the very end, which
// only the idx1 index shows). A frame number with no picture of its own shows the picture
// before it.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

class AviFile {
public:
    enum class OpenResult { Ok, FileError, NoDecoder };

    // Frame numbers and counts are 16-bit in the program; longer streams are cut here.
    static constexpr int kMaxFrames = 32767;
    // Frame sides outside 1..kMaxSide are refused as damaged.
    static constexpr int kMaxSide = 16384;

    AviFile();
    ~AviFile();
    AviFile(const AviFile&) = delete;
    AviFile& operator=(const AviFile&) = delete;

    OpenResult Open(const QString& path);
    void Close();
    bool IsOpen() const;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Frames counted by time, from the stream's start (frame 0) to its last picture plus any
    // empty chunks after it. The header's own count is only a claim, kept for reference.
    int FrameCount() const { return m_frameCount; }
    int64_t HeaderFrameCount() const { return m_headerFrameCount; }
    double FramesPerSecond() const { return m_fps; }

    // Decodes frame n into rows of 3-byte BGR pixels, `stride` bytes apart (negative for
    // bottom-up memory: then `firstRow` is the top row's address, the last in memory).
    // The size is Width() x Height(). False when n is out of range or nothing decodes.
    bool ReadFrame(int n, uint8_t* firstRow, int stride);

    // How often the reader had to reposition in the file since the open.
    int Seeks() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
    int m_width = 0;
    int m_height = 0;
    int m_frameCount = 0;
    int64_t m_headerFrameCount = 0;
    double m_fps = 0;
};

}  // namespace platform
