// Frame painting speed: PasteAvi on a 1920x1080 canvas from a 1280x720 frame store, against
// one plain copy of the canvas in the same run.
//   (a) no model, no effects                                   goal: <= 3 canvas copies
//   (b) blend view with a model, brightness, "Invert" and "Flip X" on both clips, 50 marks
//                                                              goal: <= 8 canvas copies
//   bench_compositor [rounds, default 60]

#include "BenchMarks.h"
#include "ClipWriter.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// Process CPU time: the machine is shared, and wall time would count other programs' turns;
// Qt hands parts of large image copies to its pooled threads, so every thread of ours counts.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A swing-like frame: a gradient with a figure, so that nothing is uniform.
QImage frame(int i, bool model) {
    QImage im(1280, 720, QImage::Format_RGB32);
    QPainter p(&im);
    QLinearGradient g(0, 0, 1280, 720);
    g.setColorAt(0, model ? QColor(20, 40, 120) : QColor(40, 120, 40));
    g.setColorAt(1, QColor(200, 190, 170));
    p.fillRect(im.rect(), g);
    p.setBrush(Qt::black);
    p.drawEllipse(QPoint(400 + 20 * i, 300), 60, 180);
    return im;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    const int w = 1920, h = 1080;

    QTemporaryDir dir;
    cliptools::ClipRecipe clipFormat;
    clipFormat.width = 1280;
    clipFormat.height = 720;
    const QString video = dir.filePath(QStringLiteral("video.avi"));
    const QString model = dir.filePath(QStringLiteral("model.avi"));
    if (!cliptools::WriteClip(video, clipFormat, 8, [](int i) { return frame(i, false); }) ||
        !cliptools::WriteClip(model, clipFormat, 8, [](int i) { return frame(i, true); })) {
        std::fprintf(stderr, "could not write the clips\n");
        return 1;
    }

    frm_Main main;
    main.pic_video->resize(w, h);
    if (!main.fOpenAvi(video)) return 1;
    main.Toolbar1->SetValue(10, true);

    QImage source(w, h, QImage::Format_RGB32);
    source.fill(QColor(30, 60, 90));
    QImage target = source.copy();
    auto measure = [&](const std::function<void(int)>& paint, double& copyMs, double& paintMs) {
        std::vector<double> copies, paints;
        for (int r = 0; r < rounds; ++r) {
            const double t0 = cpuMs();
            std::memcpy(target.bits(), source.constBits(), std::size_t(source.sizeInBytes()));
            const double t1 = cpuMs();
            paint(r % 8);
            const double t2 = cpuMs();
            copies.push_back(t1 - t0);
            paints.push_back(t2 - t1);
        }
        copyMs = median(copies);
        paintMs = median(paints);
    };

    double copyA = 0, pasteA = 0;
    measure([&](int i) { main.PasteAvi(short(i)); }, copyA, pasteA);

    // The blend view with everything on.
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) {
        platform::FileDialogResult r;
        r.accepted = true;
        r.path = model;
        r.filterIndex = 1;
        return r;
    });
    main.Toolbar_Click(7);
    platform::SetFileDialogAnswerer({});
    if (!main.Program.ModelShown) return 1;
    main.ImageTool->VScrBright->setValue(40);
    main.ImageTool->chkFlag[1]->setChecked(true);
    main.ImageTool->chkFlag[2]->setChecked(true);
    main.ModelTool->HscrBrightness->setValue(-30);
    main.ModelTool->chkFlags[0]->setChecked(true);
    main.ModelTool->chkFlags[1]->setChecked(true);
    OverlayModel& o = main.Drawing->Overlay();
    AddBenchLines(o, 50);
    double copyB = 0, pasteB = 0, copyM = 0, pasteM = 0;
    measure([&](int i) { main.PasteAvi(short(i)); }, copyB, pasteB);
    measure([&](int i) { main.PasteModel(short(i)); }, copyM, pasteM);

    std::printf("canvas %dx%d, frames 1280x720, %d rounds, median process CPU time\n", w, h, rounds);
    std::printf("(a) PasteAvi, no model, no effects: %.3f ms, copy %.3f ms, ratio %.2f (goal <= 3)\n", pasteA,
                copyA, pasteA / copyA);
    std::printf(
        "(b) PasteAvi, blend view, effects on both, 50 marks: %.3f ms, copy %.3f ms, ratio %.2f (goal <= "
        "8)\n",
        pasteB, copyB, pasteB / copyB);
    std::printf("    PasteModel then PasteAvi (one step of both clips): %.3f ms, ratio %.2f\n", pasteM,
                pasteM / copyM);
    main.close();
    return 0;
}
