#pragma once
// The drawing tool box: the tool buttons, the hue bar with its swatch, the polyline hint and
// the angle and length readout. Tool choices go to the main window's toolbar command; the box
// refuses any button while a polyline or an angle is unfinished.

#include "ui/ToolWindow.h"

#include <functional>

class QAction;
class QActionGroup;
class QLineEdit;
class QToolBar;
class OverlayModel;

namespace platform {
class PictureBox;
}

class frmDrawToolBox : public ToolWindow {
    Q_OBJECT
public:
    static constexpr int kButtonCount = 10;
    static constexpr int kHueColumns = 296;

    explicit frmDrawToolBox(QWidget* owner);

    // The overlay whose tool, figure and style the box reads and sets.
    void SetOverlay(OverlayModel* overlay) { overlay_ = overlay; }

    // The main window's toolbar command (20..26 from here).
    std::function<void(int)> toolbarClick;
    // The main window's Undo.
    std::function<void()> undo;

    // --- Controls.
    QToolBar* Toolbar1 = nullptr;
    platform::PictureBox* picHue = nullptr;
    platform::PictureBox* picSelected = nullptr;
    QLineEdit* txtPolyline = nullptr;
    QLineEdit* txtAngle = nullptr;

    // Button by its 1-based index (7 is the separator); its key ("" when it has none).
    QAction* Button(int index) const;
    QString Key(int index) const;

    // Shows a text on the readout and makes it visible.
    void ShowReadout(const QString& text);
    // The swatch colour, 0x00BBGGRR.
    int SelectedColor() const { return selectedColor_; }
    // The swatch takes the overlay's pen colour (a clip's saved pen came back).
    void ShowPenColor();

    // --- Events.
    void Toolbar1_ButtonClick(int index);
    void picHue_MouseDown(int button, int shift, float x, float y);
    void picHue_MouseMove(int button, int shift, float x, float y);
    void picHue_MouseUp(int button, int shift, float x, float y);

private:
    void paintHue();
    void pick(float x, float y);
    bool refuseUnfinishedFigure();
    void openWidthChooser();

    OverlayModel* overlay_ = nullptr;
    QActionGroup* group_ = nullptr;
    QAction* buttons_[kButtonCount + 1] = {};
    int selectedColor_ = 0;
};
