#include "compare/frmModelTool.h"

#include "platform/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>

namespace {
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(platform::TwipsToPixels(QRect(left, top, width, height)));
}

QScrollBar* slider(QWidget* parent, const char* name, int minimum, int maximum, int value, int small,
                   int large) {
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(minimum, maximum);
    s->setValue(value);
    s->setSingleStep(small);
    s->setPageStep(large);
    place(s, 120, 160, 3135, 135);
    return s;
}
}  // namespace

frmModelTool::frmModelTool(QWidget* owner) : ToolWindow(QStringLiteral("Adjust Model"), owner) {
    setFixedSize(platform::TwipsToPixelsX(5610), platform::TwipsToPixelsY(1245));
    auto* zoomLabel = new QLabel(QStringLiteral("Zoom"), this);
    place(zoomLabel, 120, 120, 495, 255);
    auto* brightLabel = new QLabel(QStringLiteral("Brightness"), this);
    place(brightLabel, 120, 600, 855, 255);
    // The design's labels were set in a small 8-point face; this platform's default face is
    // wider, so the labels get its small size to fit their places.
    for (QLabel* label : {zoomLabel, brightLabel}) {
        QFont small = label->font();
        small.setPixelSize(10);
        label->setFont(small);
    }
    for (int i = 0; i < 2; ++i) {
        Frame1[std::size_t(i)] = new QGroupBox(this);
        Frame1[std::size_t(i)]->setObjectName(QStringLiteral("Frame1_%1").arg(i));
        place(Frame1[std::size_t(i)], 960, i == 0 ? 0 : 480, 3375, 375);
    }
    scrZoom = slider(Frame1[0], "scrZoom", 1, 300, 100, 1, 5);
    HscrBrightness = slider(Frame1[1], "HscrBrightness", -255, 255, 0, 5, 20);

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    place(Frame2, 4440, 0, 1095, 855);
    const QFont times(QStringLiteral("Times New Roman"));
    const std::pair<int, QString> boxes[] = {{0, QStringLiteral("Invert")}, {1, QStringLiteral("Flip X")}};
    for (const auto& [index, caption] : boxes) {
        auto* box = new QCheckBox(caption, Frame2);
        box->setObjectName(QStringLiteral("chkFlags%1").arg(index));
        box->setFont(times);
        place(box, 120, index == 0 ? 200 : 480, index == 0 ? 735 : 855, 255);
        connect(box, &QCheckBox::toggled, this, &frmModelTool::Changed);
        chkFlags[index] = box;
    }
    lblHint = new QLabel(QStringLiteral("To move the model left click and hold the button"), this);
    place(lblHint, 120, 960, 5415, 255);

    connect(HscrBrightness, &QScrollBar::valueChanged, this, &frmModelTool::Changed);
    connect(scrZoom, &QScrollBar::valueChanged, this, &frmModelTool::ZoomChanged);
}
