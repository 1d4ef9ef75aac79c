#pragma once
// The frames of one clip or still picture, as the rest of the program reads them, whoever keeps
// them in memory. Frames are numbered as a player shows them, FirstFrame() .. FirstFrame() +
// Count() - 1; a still picture is its one frame 0. A frame that is not at hand (yet) reads as
// null: a source that decodes on demand announces it with FrameReady once it is.

#include <QObject>
#include <QSize>

#include <functional>

class cDIBSection;

class FrameSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Frames held: a clip's (as far as known while !CountIsExact()), 1 for a still picture, 0
    // when there is nothing.
    virtual int Count() const = 0;
    virtual bool CountIsExact() const = 0;
    virtual int FirstFrame() const = 0;
    // The frames come from a clip, so they have a rate and times.
    virtual bool IsClip() const = 0;
    virtual QSize FrameSize() const = 0;
    // Frame n; null outside the clip or while it is not at hand.
    virtual const cDIBSection* Frame(int n) const = 0;
    // 0 unless a clip.
    virtual double FramesPerSecond() const = 0;
    // When frame n is shown, in seconds from the first frame; 0 unless a clip.
    virtual double FrameSeconds(int n) const = 0;
    // Where the first frame lies on the file's own clock (the clock its sound keeps); 0 unless a clip.
    virtual double StartSeconds() const = 0;

    // The picture to paint for frame n: frame n, or, while it is not at hand, the last one
    // painted, so the canvas keeps a picture instead of going blank.
    const cDIBSection* FrameToPaint(int n) {
        if (const cDIBSection* frame = Frame(n)) {
            lastPainted_ = n;
            return frame;
        }
        return Held(lastPainted_);
    }

    // Hands frames from .. to in order to `take` on the calling thread, a worker's, which may wait
    // for them to be decoded (the user-interface thread never does); a frame that is not to be had
    // repeats the one before. `take` returns false to stop. False when stopped or nothing could be
    // read.
    using Take = std::function<bool(int n, const cDIBSection& frame)>;
    virtual bool ReadInSequence(int from, int to, const Take& take) const = 0;

signals:
    void FrameReady(int n);

protected:
    // Frame n when it is at hand, without asking for it.
    virtual const cDIBSection* Held(int n) const { return Frame(n); }

    int lastPainted_ = -1;  // frame number of the last picture handed out by FrameToPaint
};
