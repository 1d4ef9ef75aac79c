#pragma once
// The model adjustment window "Adjust Model": brightness, inversion, mirroring and zoom of
// the model. It holds no picture of its own; the compositor reads its controls at every
// model paint.

#include "ui/ToolWindow.h"

#include <array>
#include <map>

class QCheckBox;
class QGroupBox;
class QLabel;
class QScrollBar;

class frmModelTool : public ToolWindow {
    Q_OBJECT
public:
    explicit frmModelTool(QWidget* owner);

    std::array<QGroupBox*, 2> Frame1{};    // 0 holds the zoom, 1 the brightness
    QGroupBox* Frame2 = nullptr;           // holds the two check boxes
    std::map<int, QCheckBox*> chkFlags;    // 0 "Invert", 1 "Flip X"
    QScrollBar* HscrBrightness = nullptr;  // -255 .. 255
    QScrollBar* scrZoom = nullptr;         // 1 .. 300 percent of the model's source size
    QLabel* lblHint = nullptr;

signals:
    // A box or the brightness changed: the model is to be painted again.
    void Changed();
    void ZoomChanged();
};
