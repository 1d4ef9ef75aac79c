#include "compare/frmImageTool.h"

#include "platform/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QScrollBar>

namespace {
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(platform::TwipsToPixels(QRect(left, top, width, height)));
}
}  // namespace

frmImageTool::frmImageTool(QWidget* owner) : ToolWindow(QStringLiteral("Image Tool"), owner) {
    setFixedSize(platform::TwipsToPixelsX(4185), platform::TwipsToPixelsY(690));
    frmFlags = new QGroupBox(this);
    frmFlags->setObjectName(QStringLiteral("frmFlags"));
    place(frmFlags, 120, 0, 1935, 615);
    const QFont times(QStringLiteral("Times New Roman"));
    const std::pair<int, QString> boxes[] = {{1, QStringLiteral("Invert")}, {2, QStringLiteral("Flip X")}};
    for (const auto& [index, caption] : boxes) {
        auto* box = new QCheckBox(caption, frmFlags);
        box->setObjectName(QStringLiteral("chkFlag%1").arg(index));
        box->setFont(times);
        place(box, index == 1 ? 120 : 960, 240, 855, 255);
        connect(box, &QCheckBox::toggled, this, &frmImageTool::Changed);
        chkFlag[index] = box;
    }
    frameBright = new QGroupBox(QStringLiteral("Brightness"), this);
    frameBright->setObjectName(QStringLiteral("frameBright"));
    place(frameBright, 2160, 0, 1935, 615);
    VScrBright = new QScrollBar(Qt::Horizontal, frameBright);
    VScrBright->setObjectName(QStringLiteral("VScrBright"));
    VScrBright->setRange(-255, 255);
    VScrBright->setValue(0);
    VScrBright->setSingleStep(1);
    VScrBright->setPageStep(1);
    place(VScrBright, 120, 300, 1695, 135);
    connect(VScrBright, &QScrollBar::valueChanged, this, &frmImageTool::Changed);
}
