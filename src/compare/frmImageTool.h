#pragma once
// The image tool: brightness, inversion and mirroring of video 1. It holds no picture of
// its own; the compositor reads its controls at every paint.

#include "ui/ToolWindow.h"

#include <map>

class QCheckBox;
class QGroupBox;
class QScrollBar;

class frmImageTool : public ToolWindow {
    Q_OBJECT
public:
    explicit frmImageTool(QWidget* owner);

    QGroupBox* frmFlags = nullptr;
    QGroupBox* frameBright = nullptr;
    std::map<int, QCheckBox*> chkFlag;  // 1 "Invert", 2 "Flip X"
    QScrollBar* VScrBright = nullptr;   // brightness, -255 .. 255

signals:
    // A box or the slider changed: the current frame is to be painted again.
    void Changed();
};
