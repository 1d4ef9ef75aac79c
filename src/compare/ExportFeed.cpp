#include "compare/ExportFeed.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

using namespace platform;

namespace {

// The smallest rectangle holding every pixel of the marks layer that is not fully clear;
// the rest of the layer would lay nothing over the picture.
QRect drawnPart(const QImage& layer) {
    int top = layer.height(), bottom = -1, left = layer.width(), right = -1;
    for (int y = 0; y < layer.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(layer.constScanLine(y));
        int x = 0;
        while (x < layer.width() && qAlpha(row[x]) == 0) ++x;
        if (x == layer.width()) continue;
        int end = layer.width() - 1;
        while (qAlpha(row[end]) == 0) --end;
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, end);
    }
    return bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

ExportFeed::ExportFeed(const VideoExportJob& job, QImage first, int width, int height, int depth)
    : job_(job), width_(width), height_(height), depth_(std::max(1, depth)) {
    if (!job.marks.isNull())
        marked_ = drawnPart(job.marks.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    thread_ = std::thread([this, first = std::move(first)]() mutable { run(std::move(first)); });
}

ExportFeed::~ExportFeed() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

FramePtr ExportFeed::Next() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return !ready_.empty() || !error_.isEmpty(); });
    if (ready_.empty()) return nullptr;
    FramePtr next = std::move(ready_.front());
    ready_.pop_front();
    hold.unlock();
    changed_.notify_all();
    return next;
}

void ExportFeed::Recycle(FramePtr picture) {
    std::lock_guard<std::mutex> hold(lock_);
    spare_.push_back(std::move(picture));
}

QString ExportFeed::Error() const {
    std::lock_guard<std::mutex> hold(lock_);
    return error_;
}

// Lays the picture and the marks into the RGB frame, whose rows are padded as swscale reads
// them, and converts that into `yuv`.
bool ExportFeed::fill(AVFrame* yuv, const QImage& picture) {
    if (picture.isNull() || av_frame_make_writable(yuv) < 0) return false;
    QImage view(rgb_->data[0], width_, height_, rgb_->linesize[0], QImage::Format_RGB32);
    {
        QPainter p(&view);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture);
        if (!marked_.isEmpty()) {
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.drawImage(marked_.topLeft(), job_.marks, marked_);
        }
    }
    sws_scale_frame(sws_.get(), yuv, rgb_.get());
    return true;
}

void ExportFeed::run(QImage first) {
    auto fail = [this](const QString& why) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            error_ = why;
        }
        changed_.notify_all();
    };
    rgb_ = platform::NewFrame(AV_PIX_FMT_RGB32, width_, height_);
    if (!rgb_) return fail(QStringLiteral("out of memory."));
    std::memset(rgb_->buf[0]->data, 0, rgb_->buf[0]->size);
    sws_ = platform::NewConverter(width_, height_, AV_PIX_FMT_RGB32, width_, height_, AV_PIX_FMT_YUV420P,
                                  VideoExporter::kScaleFlags);
    if (!sws_) return fail(QStringLiteral("out of memory."));

    FrameCompositor compositor;
    const int count = int(job_.frames.size());
    for (int i = 0; i < count; ++i) {
        FramePtr yuv;
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [this] { return stop_ || int(ready_.size()) < depth_; });
            if (stop_) return;
            if (!spare_.empty()) {
                yuv = std::move(spare_.front());
                spare_.pop_front();
            }
        }
        if (!yuv && !(yuv = platform::NewFrame(AV_PIX_FMT_YUV420P, width_, height_)))
            return fail(QStringLiteral("out of memory."));
        const QImage picture = i == 0 ? std::move(first) : ComposeExportFrame(job_, compositor, size_t(i));
        if (!fill(yuv.get(), picture)) return fail(QStringLiteral("out of memory."));
        yuv->pts = i;
        {
            std::lock_guard<std::mutex> hold(lock_);
            ready_.push_back(std::move(yuv));
        }
        changed_.notify_all();
    }
}
