#pragma once
// The frames of one clip or still picture, as the rest of the program reads them, whoever keeps
// them in memory. Frames are numbered as a player shows them, FirstFrame() .. FirstFrame() +
// Count() - 1; a still picture is its one frame 0. A frame that is not at hand (yet) reads as
// null: a source that decodes on demand announces it with FrameReady once it is.

#include <QObject>
#include <QSize>

#include <memory>

class cDIBSection;
class WorkerFrames;

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
            awaited_ = -1;
            return frame;
        }
        awaited_ = n;
        return Held(lastPainted_);
    }
    // The frame FrameToPaint was last asked for and painted the one before in its stead; -1 when
    // it gave the frame asked for. Its FrameReady is the time to paint again.
    int AwaitedFrame() const { return awaited_; }

    // The frames for one worker thread, read there. Frames in memory are shared with it: the source
    // must then hold them until the worker is done; frames decoded on demand need nothing of it.
    virtual std::shared_ptr<WorkerFrames> FramesForWorker() const = 0;

signals:
    void FrameReady(int n);

protected:
    // Frame n when it is at hand, without asking for it.
    virtual const cDIBSection* Held(int n) const { return Frame(n); }

    int lastPainted_ = -1;  // frame number of the last picture handed out by FrameToPaint
    int awaited_ = -1;
};
