// Overlay redraw speed: DrawingUpdate with 100 lines, 100 shapes, 100 angles and 100
// polylines on a 1920x1080 canvas, against one plain copy of the canvas in the same run.
// Goal: a full redraw costs no more than 3 canvas copies.
//   bench_overlay [rounds, default 50]

#include "overlay/OverlayModel.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace {

// Thread CPU time: the machine is shared, and wall time would count other programs' turns.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The history holds 100 entries in all, so 400 records are written into the lists directly.
void fill(OverlayModel& o, int w, int h) {
    std::mt19937 rng(7);
    auto rx = [&] { return int(rng() % unsigned(w)) / 1.5; };
    auto ry = [&] { return int(rng() % unsigned(h)) / 1.5; };
    auto colour = [&] { return int(rng() & 0xFFFFFF); };
    auto width = [&] { return int(1 + rng() % 5); };
    for (int i = 1; i <= OverlayModel::kCapacity; ++i) {
        VLine& l = o.Lines[std::size_t(i)];
        l.SetX1(rx());
        l.SetY1(ry());
        l.SetX2(rx());
        l.SetY2(ry());
        l.SetTextX((l.X1() + l.X2()) / 2);
        l.SetTextY((l.Y1() + l.Y2()) / 2);
        l.SetBorderColor(colour());
        l.SetBorderWidth(width());

        VShape& s = o.Shapes[std::size_t(i)];
        s.SetLeft(rx() / 2);
        s.SetTop(ry() / 2);
        s.SetWidth(50 / 1.5 + rx() / 3);
        s.SetHeight(50 / 1.5 + ry() / 3);
        s.SetShape(i % 2 ? kDrawEllipse : kDrawRectangle);
        s.SetBorderColor(colour());
        s.SetBorderWidth(width());

        VAngle& a = o.Angles[std::size_t(i)];
        a.SetX1(rx());
        a.SetY1(ry());
        a.SetX2(rx());
        a.SetY2(ry());
        a.SetX3(rx());
        a.SetY3(ry());
        a.SetTextX(a.X2());
        a.SetTextY(a.Y2());
        a.SetText(AngleText(ThreePointAngle(a.X1(), a.X2(), a.X3(), a.Y1(), a.Y2(), a.Y3())));
        a.SetBorderColor(colour());
        a.SetBorderWidth(width());

        VPolyLine& p = o.PolyLines[std::size_t(i)];
        for (int k = 1; k <= 6; ++k) {
            p.SetX(k, rx());
            p.SetY(k, ry());
        }
        p.SetPoints(2 + i % 5);
        p.SetBorderColor(colour());
        p.SetBorderWidth(width());
    }
    o.LineCount = o.ShapeCount = o.AngleCount = o.PolyLineCount = OverlayModel::kCapacity;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int w = 1920, h = 1080;

    OverlayModel o;
    fill(o, w, h);
    // Calibrated, so every line label is worked out in metres at each redraw. The marks are
    // in picture pixels of a 1280x720 clip fitted to the canvas.
    o.MetresPerPixel = 0.004f;
    o.SetView(QTransform::fromScale(1.5, 1.5), QRect(0, 0, w, h));
    std::printf("records: %d lines, %d shapes, %d angles, %d polylines\n", o.LineCount, o.ShapeCount,
                o.AngleCount, o.PolyLineCount);

    QImage frame(w, h, QImage::Format_RGB32);
    frame.fill(QColor(30, 60, 90));
    QImage canvas = frame.copy();

    // The limit: one plain copy of the canvas bytes.
    std::vector<double> copyTimes, drawTimes;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = cpuMs();
        std::memcpy(canvas.bits(), frame.constBits(), std::size_t(frame.sizeInBytes()));
        const double t1 = cpuMs();
        o.DrawingUpdate(canvas);
        const double t2 = cpuMs();
        copyTimes.push_back(t1 - t0);
        drawTimes.push_back(t2 - t1);
    }
    std::sort(copyTimes.begin(), copyTimes.end());
    std::sort(drawTimes.begin(), drawTimes.end());
    const double copy = copyTimes[copyTimes.size() / 2];
    const double draw = drawTimes[drawTimes.size() / 2];
    std::printf("canvas copy (median thread CPU time): %.3f ms\n", copy);
    std::printf("DrawingUpdate (median thread CPU time): %.3f ms\n", draw);
    std::printf("ratio DrawingUpdate / copy: %.2f (goal <= 3)\n", draw / copy);
    return 0;
}
