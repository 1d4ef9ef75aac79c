#include "playback/frmVideoControls.h"

#include "overlay/Measure.h"
#include "platform/Twips.h"
#include "playback/PlaybackSpeed.h"
#include "ui/Artwork.h"
#include "ui/Globals.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(platform::TwipsToPixels(QRect(left, top, width, height)));
}

// The design's captions were set in a small 8-point face; this platform's default face is
// wider, so small captions get its small size.
void useSmallFace(QWidget* w) {
    QFont small = w->font();
    small.setPixelSize(10);
    w->setFont(small);
}

// The speed frame is taller than designed, for the rate and its three buttons; what lies
// below it moves down by as much.
constexpr int kSpeedExtra = 480;

QScrollBar* makeSlider(QWidget* parent, const char* name, int minimum, int maximum, int largeStep,
                       int value) {
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(minimum, maximum);
    s->setSingleStep(1);
    s->setPageStep(largeStep);
    s->setValue(value);
    // Sliders are tab stops, as the buttons are.
    s->setFocusPolicy(Qt::StrongFocus);
    place(s, 120, 240, 1335, 135);
    return s;
}

}  // namespace

frmVideoControls::frmVideoControls(const Globals& program, QWidget* owner)
    : ToolWindow(QStringLiteral("Video Controls"), owner) {
    setObjectName(QStringLiteral("frmVideoControls"));
    // A fixed tool window: the client area as designed, not resizable.
    setFixedSize(platform::TwipsToPixelsX(1590), platform::TwipsToPixelsY(3990 + kSpeedExtra));

    cmdPlay = makeButton("cmdPlay", kPlay, QStringLiteral("Play the video"), 360, 120);
    cmdStop = makeButton("cmdStop", kStop, QStringLiteral("Stop the video"), 840, 120);
    cmdBackFast = makeButton("cmdBackFast", kBack, QStringLiteral("Skip one frame backwards"), 360, 480);
    cmdForwardFast =
        makeButton("cmdForwardFast", kForward, QStringLiteral("Skip one frame forwards"), 840, 480);
    cmdBackFull =
        makeButton("cmdBackFull", kFirst, QStringLiteral("Go to the beginning of the video"), 360, 840);
    cmdForwardFull =
        makeButton("cmdForwardFull", kLast, QStringLiteral("Go to the ending of the video"), 840, 840);

    Frame3 = new QGroupBox(QStringLiteral("Speed"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    place(Frame3, 0, 1320, 1575, 495 + kSpeedExtra);
    hscrSpeed = makeSlider(Frame3, "hscrSpeed", kFastestIntervalMs, kSlowestIntervalMs, 10, 100);
    hscrSpeed->setToolTip(QStringLiteral("Time between frames: to the right plays slower"));
    lblSpeed = new QLabel(Frame3);
    lblSpeed->setObjectName(QStringLiteral("lblSpeed"));
    lblSpeed->setAlignment(Qt::AlignCenter);
    useSmallFace(lblSpeed);
    place(lblSpeed, 60, 405, 1455, 195);
    connect(hscrSpeed, &QScrollBar::valueChanged, lblSpeed,
            [this](int ms) { lblSpeed->setText(SpeedCaption(ms)); });
    lblSpeed->setText(SpeedCaption(hscrSpeed->value()));
    const QString rateCaptions[] = {QStringLiteral("1\u00d7"), QStringLiteral("\u00bd\u00d7"),
                                    QStringLiteral("\u00bc\u00d7")};
    const QString rateTips[] = {QStringLiteral("Play at the clip's own rate"),
                                QStringLiteral("Play at half the clip's rate"),
                                QStringLiteral("Play at a quarter of the clip's rate")};
    for (size_t i = 0; i < cmdRate.size(); ++i) {
        auto* b = new QPushButton(rateCaptions[i], Frame3);
        b->setObjectName(QStringLiteral("cmdRate%1").arg(kRateDivisors[i]));
        b->setToolTip(rateTips[i]);
        useSmallFace(b);
        place(b, 120 + int(i) * 458, 630, 420, 270);
        connect(b, &QPushButton::clicked, this, [this, i] { SetRealRate(kRateDivisors[i]); });
        cmdRate[i] = b;
    }

    frmVideos = new QGroupBox(this);
    frmVideos->setObjectName(QStringLiteral("frmVideos"));
    place(frmVideos, 0, 1800 + kSpeedExtra, 1575, 1125);
    const QString captions[] = {QStringLiteral("Video 1"), QStringLiteral("Both Windows"),
                                QStringLiteral("Model")};
    for (int i = 0; i < 3; ++i) {
        auto* opt = new QRadioButton(captions[i], frmVideos);
        opt->setObjectName(QStringLiteral("optWindow%1").arg(i));
        // Small captions, with the frame's full inner width.
        useSmallFace(opt);
        place(opt, 120, 240 * (i + 1), 1440, 195);
        connect(opt, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optWindow_Click(i);
        });
        optWindow[size_t(i)] = opt;
    }

    frmBlend = new QGroupBox(QStringLiteral("Blend Model"), this);
    frmBlend->setObjectName(QStringLiteral("frmBlend"));
    place(frmBlend, 0, 3000 + kSpeedExtra, 1575, 495);
    hscrBlend = makeSlider(frmBlend, "hscrBlend", 0, 255, 1, 128);
    // Set up before this connection, so the caption reads "Blend Model" until the first move.
    // valueChanged covers both dragging and a set value.
    connect(hscrBlend, &QScrollBar::valueChanged, this, &frmVideoControls::hscrBlend_Scroll);
    // Off: "Both Windows" steps the two clips frame for frame, as always.
    // On two lines: the window is narrower than the caption.
    chkSync = new QCheckBox(QStringLiteral("Sync on key\npositions"), this);
    chkSync->setObjectName(QStringLiteral("chkSync"));
    chkSync->setAccessibleName(QStringLiteral("Sync on key positions"));
    chkSync->setToolTip(QStringLiteral("Sync on key positions: the model keeps step with video 1 between "
                                       "address, top, impact and finish"));
    useSmallFace(chkSync);
    place(chkSync, 60, 3530 + kSpeedExtra, 1515, 420);

    setTabOrder(cmdBackFull, cmdBackFast);
    setTabOrder(cmdBackFast, cmdPlay);
    setTabOrder(cmdPlay, cmdStop);
    setTabOrder(cmdStop, cmdForwardFast);
    setTabOrder(cmdForwardFast, cmdForwardFull);
    setTabOrder(cmdForwardFull, optWindow[0]);
    setTabOrder(optWindow[0], optWindow[1]);
    setTabOrder(optWindow[1], optWindow[2]);
    setTabOrder(optWindow[2], hscrBlend);
    setTabOrder(hscrBlend, hscrSpeed);
    setTabOrder(hscrSpeed, cmdRate[0]);
    setTabOrder(cmdRate[0], cmdRate[1]);
    setTabOrder(cmdRate[1], cmdRate[2]);
    setTabOrder(cmdRate[2], chkSync);

    Form_Load(program.ModelShown);
}

QPushButton* frmVideoControls::makeButton(const char* name, short code, const QString& tooltip, int left,
                                          int top) {
    auto* b = new QPushButton(this);
    b->setObjectName(QLatin1String(name));
    b->setIcon(VideoControlIcon(code));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(tooltip);
    place(b, left, top, 365, 365);
    connect(b, &QPushButton::clicked, this, [this, code] { emit ButtonClicked(code, WindowChoice); });
    return b;
}

void frmVideoControls::Form_Load(bool modelShown) {
    optWindow[0]->setChecked(true);  // runs optWindow_Click(0)
    optWindow[0]->setEnabled(true);
    if (!modelShown) {
        optWindow[1]->setEnabled(false);
        optWindow[2]->setEnabled(false);
        frmBlend->setEnabled(false);
        hscrBlend->setEnabled(false);
    }
}

void frmVideoControls::optWindow_Click(int index) {
    WindowChoice = short(index);
}

void frmVideoControls::SetRealRate(int divisor) {
    if (!clipRate || divisor <= 0) return;
    const int interval = IntervalForRate(clipRate(WindowChoice) / divisor);
    if (interval > 0) hscrSpeed->setValue(interval);
}

void frmVideoControls::hscrBlend_Scroll() {
    emit BlendMoved();
    const double p = hscrBlend->value() / 255.0 * 100.0;
    frmBlend->setTitle(QStringLiteral("Blend: ") + FormatAnglePattern(p) + QLatin1Char('%'));
}

bool frmVideoControls::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) emit Activated();
    return ToolWindow::event(e);
}
