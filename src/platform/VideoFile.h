#pragma once
// The clip reader's link to FFmpeg: opens the video stream of any container FFmpeg reads
// (AVI, MP4, MOV, M4V, 3GP, MKV, WEBM, ...) and decodes any frame, upright, to 24-bit
// blue-green-red rows. All of FFmpeg stays behind this file; every FFmpeg object has exactly
// one owner here.
//
// Frame n is the n-th picture a player shows, whatever order the codec stores pictures in.
// Where the stream's timestamps count frame periods (AVI), frames are numbered by time: a
// capture that dropped a frame writes an empty chunk, and that frame number shows the picture
// before it. Elsewhere (MP4, MOV, MKV, with their variable frame rates) frame n is the n-th
// picture, and FrameSeconds tells when it is shown.
//
// Nothing here reads the whole file before the first frame: the count comes from the index or
// the headers, and is corrected as decoding reaches the end.

#include <QString>

#include <cstdint>
#include <memory>

namespace platform {

class VideoFile {
public:
    enum class OpenResult { Ok, FileError, NoDecoder };

    // Frame numbers and counts are 16-bit in the program; longer streams are cut here.
    static constexpr int kMaxFrames = 32767;
    // Frame sides outside 1..kMaxSide are refused as damaged.
    static constexpr int kMaxSide = 16384;
    // The conversion to BGR: chroma interpolated to every pixel, bilinearly, with exact rounding.
    // Within 2 levels of FFmpeg's most faithful (bicubic) one, 0.2 on average, at a third of its
    // cost, which is most of a large frame's.
    static constexpr int kConversionFlags = 0x2 | 0x40000 | 0x2000;  // SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT

    VideoFile();
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    // What decoding has learnt of the clip (where each frame lies, where its key pictures are).
    struct Layout;

    // Opens the file and decodes its first picture, so that a file whose video cannot be
    // decoded is refused here rather than at the first frame. A second reader of the same file
    // may start from what the first one learnt: it then goes straight to any frame.
    OpenResult Open(const QString& path, std::shared_ptr<const Layout> learnt = {});
    std::shared_ptr<const Layout> Learnt() const;
    void Close();
    bool IsOpen() const;

    // The upright picture's size (after the display rotation).
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Frames known so far: exact once decoding has reached the end (CountIsExact), before that
    // the index's or the headers' figure, raised when decoding finds more.
    int FrameCount() const;
    bool CountIsExact() const;
    // Average frames per second of the recording: the capture rate where the container records
    // one (slow motion stored at 30 fps), else what the timestamps of the decoded frames say,
    // else the stream's declared rate.
    double FramesPerSecond() const;
    // When frame n is shown, in seconds from the first frame (estimated from the rate for a
    // frame not decoded yet).
    double FrameSeconds(int n) const;
    // Where frame 0 lies on the container's clock, the one every stream of the file shares
    // (an audio stream's timestamps are on it too), in seconds.
    double StartSeconds() const;

    // Decodes frame n into rows of 3-byte BGR pixels, `stride` bytes apart (negative for
    // bottom-up memory: then `firstRow` is the top row's address, the last in memory).
    // The size is Width() x Height(). False when n lies past the end or nothing decodes; a
    // picture that fails to decode shows the one before it.
    bool ReadFrame(int n, uint8_t* firstRow, int stride);
    // Frame n at width x height, each pixel the average of those it covers: a preview that costs
    // a fraction of the whole picture's conversion.
    bool ReadFrameScaled(int n, int width, int height, uint8_t* firstRow, int stride);
    // The frame decoding starts from to reach frame n (the latest key picture at or before it);
    // -1 when n lies past the end.
    int KeyFrameOf(int n);

    // Lets go of the pictures the decoder holds (they come back, at a cost, when a frame is read).
    void ReleaseBuffers();

    // How often the reader had to reposition in the file since the open.
    int Seeks() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace platform
