#pragma once
// The video controls window: stepping, playing, speed and blend. It does no frame work of
// its own: each button hands its code and the chosen window to the main window, the
// playback timers read hscrSpeed at every tick and the compositor reads hscrBlend.

#include "ui/ToolWindow.h"

#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
struct Globals;

class frmVideoControls : public ToolWindow {
    Q_OBJECT
public:
    // Button codes, as the main window's VideoControl_Click takes them.
    enum ButtonCode : short {
        kFirst = 0,
        kLast = 1,
        kPlay = 2,
        kBack = 4,
        kForward = 5,
        kStop = 6,
    };

    // `program` is read here only: the choices beyond video 1 start enabled when it has a model
    // shown; later the main window enables and disables them.
    frmVideoControls(const Globals& program, QWidget* owner);

    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdBackFast = nullptr;
    QPushButton* cmdForwardFast = nullptr;
    QPushButton* cmdBackFull = nullptr;
    QPushButton* cmdForwardFull = nullptr;
    QGroupBox* Frame3 = nullptr;
    QScrollBar* hscrSpeed = nullptr;  // playback timer interval in ms, 1 .. 200
    QLabel* lblSpeed = nullptr;       // the interval as a rate: "40 ms = 25 fps"
    // The clip's own rate, half and a quarter of it.
    std::array<QPushButton*, 3> cmdRate{};
    static constexpr std::array<int, 3> kRateDivisors{1, 2, 4};
    QGroupBox* frmVideos = nullptr;
    std::array<QRadioButton*, 3> optWindow{};  // "Video 1", "Both Windows", "Model"
    QGroupBox* frmBlend = nullptr;
    QScrollBar* hscrBlend = nullptr;  // weight of the model in the blend view, 0 .. 255
    // "Both Windows" keeps the two swings in step on their key positions.
    QCheckBox* chkSync = nullptr;

    // Index of the chosen optWindow option: what the buttons act on.
    short WindowChoice = 0;

    // Frames per second of the clip a window choice plays (0 when unknown); set by the main window.
    std::function<double(short windowChoice)> clipRate;
    // Sets the speed to the chosen clip's rate divided by `divisor`; nothing when the rate is unknown.
    void SetRealRate(int divisor);

    void optWindow_Click(int index);
    void hscrBlend_Scroll();

signals:
    // A button was pressed: its code and the window choice at that moment.
    void ButtonClicked(short iButton, short iVideo);
    // The blend weight changed; emitted before the caption follows, so the main window
    // repaints with the new weight first.
    void BlendMoved();
    // The window became the active window.
    void Activated();

protected:
    bool event(QEvent* e) override;

private:
    void Form_Load(bool modelShown);
    QPushButton* makeButton(const char* name, short code, const QString& tooltip, int left, int top);
};
