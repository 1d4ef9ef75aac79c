#include "overlay/frmDrawToolBox.h"

#include "overlay/OverlayModel.h"
#include "overlay/frmDrawWidth.h"
#include "overlay/mHLSRGB.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "ui/Artwork.h"

#include <QAction>
#include <QActionGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QPainter>
#include <QToolBar>
#include <QWidget>

#include <cmath>

namespace {

struct ButtonDesign {
    const char* key;
    const char* tooltip;
};

// Index 1..10; 7 is the separator.
const ButtonDesign kButtons[frmDrawToolBox::kButtonCount + 1] = {
    {"", ""},
    {"Line", "Line"},
    {"Rect", "Rectangle"},
    {"Circle", "Circle"},
    {"Polyline", "Polyline"},
    {"Angle", "Angle"},
    {"", "Ruler"},
    {"", ""},
    {"", "Undo"},
    {"", "Clear"},
    {"", "Thickness"},
};

constexpr int kHueHeight = 24;

}  // namespace

frmDrawToolBox::frmDrawToolBox(QWidget* owner) : ToolWindow(QStringLiteral("Drawing Tool..."), owner) {
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setIconSize(QSize(24, 24));
    group_ = new QActionGroup(this);
    // Optional exclusivity lets the close rule release a button; a click on a pressed
    // button keeps it pressed (the click handler sets it down again).
    group_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int i = 1; i <= kButtonCount; ++i) {
        QAction* a = nullptr;
        if (i == 7) {
            a = Toolbar1->addSeparator();
        } else {
            a = Toolbar1->addAction(DrawToolIcon(i), QString());
            a->setToolTip(QString::fromLatin1(kButtons[i].tooltip));
            a->setObjectName(QStringLiteral("DrawToolButton%1").arg(i));
            if (i <= 5) {
                a->setCheckable(true);
                group_->addAction(a);
            }
            connect(a, &QAction::triggered, this, [this, i] { Toolbar1_ButtonClick(i); });
        }
        buttons_[i] = a;
    }

    picHue = new platform::PictureBox(this);
    picHue->setObjectName(QStringLiteral("picHue"));
    picHue->setFixedSize(kHueColumns, kHueHeight);
    picHue->SetScaleMode(platform::PictureBox::vbTwips);
    picHue->setCursor(Qt::CrossCursor);
    picSelected = new platform::PictureBox(this);
    picSelected->setObjectName(QStringLiteral("picSelected"));
    picSelected->setFixedSize(kHueHeight, kHueHeight);

    txtPolyline = new QLineEdit(QStringLiteral("Right Click to Combine Points"), this);
    txtPolyline->setObjectName(QStringLiteral("txtPolyline"));
    txtPolyline->setFont(QFont(QStringLiteral("MS Serif")));
    txtPolyline->setReadOnly(true);
    txtPolyline->hide();
    txtAngle = new QLineEdit(QStringLiteral("Deg"), this);
    txtAngle->setObjectName(QStringLiteral("txtAngle"));
    txtAngle->setFont(QFont(QStringLiteral("Times New Roman")));
    txtAngle->setReadOnly(true);
    txtAngle->hide();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);
    grid->addWidget(Toolbar1, 0, 0, 1, 2);
    grid->addWidget(picHue, 1, 0);
    grid->addWidget(picSelected, 1, 1);
    grid->addWidget(txtPolyline, 2, 0, 1, 2);
    grid->addWidget(txtAngle, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(picHue, &platform::PictureBox::MouseDown, this, &frmDrawToolBox::picHue_MouseDown);
    connect(picHue, &platform::PictureBox::MouseMove, this, &frmDrawToolBox::picHue_MouseMove);
    connect(picHue, &platform::PictureBox::MouseUp, this, &frmDrawToolBox::picHue_MouseUp);

    paintHue();
}

QAction* frmDrawToolBox::Button(int index) const {
    return index >= 1 && index <= kButtonCount ? buttons_[index] : nullptr;
}

QString frmDrawToolBox::Key(int index) const {
    return index >= 1 && index <= kButtonCount ? QString::fromLatin1(kButtons[index].key) : QString();
}

void frmDrawToolBox::ShowReadout(const QString& text) {
    txtAngle->setText(text);
    txtAngle->show();
}

void frmDrawToolBox::paintHue() {
    // 296 one-pixel boxes from h = -1 (magenta) over red, yellow, green, cyan and blue back to
    // magenta; each box's right edge is overdrawn by the next one.
    const double height = picHue->ScaleHeight();
    const double step = std::nearbyint(platform::TwipsPerPixelX());
    QImage& img = picHue->Image();
    QPainter p(&img);
    double x = 0;
    for (float i = -40; i <= 255; i += 1) {
        const float h = i / 40;
        long r = 0, g = 0, b = 0;
        ConvertHlsToRgb(h, 1, 0.5f, r, g, b);
        const QPointF from = picHue->ToPixels({x, 0});
        const QPointF to = picHue->ToPixels({x + platform::TwipsPerPixelX(), height});
        const int left = int(std::nearbyint(from.x()));
        const int right = int(std::nearbyint(to.x()));
        p.fillRect(QRect(QPoint(left, 0), QPoint(std::max(left, right), img.height() - 1)),
                   ColorOf(int(RGB(r, g, b))));
        x += step;
    }
    p.end();
    picHue->Refresh();
    selectedColor_ = int(RGB(0, 0, 0));
    picSelected->SetBackColor(ColorOf(selectedColor_));
    picSelected->Cls();
    picSelected->Refresh();
}

bool frmDrawToolBox::refuseUnfinishedFigure() {
    if (!overlay_) return false;
    const OverlayModel& o = *overlay_;
    if (o.DrawTool == kToolPolyline && o.PickCount > 0 && !o.FigureDone) {
        if (o.PickCount == 1)
            platform::MsgBox(QStringLiteral("You need to add another point to finish drawing the polyline"),
                             platform::vbExclamation, QStringLiteral("Drawing Polyline Error"));
        else
            platform::MsgBox(QStringLiteral("You need to RIGHT Click to finish drawing the polyline"),
                             platform::vbExclamation, QStringLiteral("Polyline Error"));
        buttons_[4]->setChecked(true);
        return true;
    }
    if (o.DrawTool == kToolAngle && !o.FigureDone && (o.PickCount == 1 || o.PickCount == 2)) {
        platform::MsgBox(o.PickCount == 1
                             ? QStringLiteral("You need to draw two more crosses to finish drawing the angle")
                             : QStringLiteral("You need to draw one more cross to finish drawing the angle"),
                         platform::vbExclamation, QStringLiteral("Drawing Angle Error"));
        buttons_[5]->setChecked(true);
        return true;
    }
    return false;
}

void frmDrawToolBox::Toolbar1_ButtonClick(int index) {
    if (refuseUnfinishedFigure()) return;
    // A group button stays down when clicked again.
    if (index >= 1 && index <= 5) buttons_[index]->setChecked(true);
    txtPolyline->hide();
    txtAngle->hide();
    auto command = [this](int n) {
        if (toolbarClick) toolbarClick(n);
    };
    auto showByGroup = [this] {
        if (buttons_[5]->isChecked()) txtAngle->show();
        if (buttons_[4]->isChecked()) txtPolyline->show();
    };
    switch (index) {
        case 1:
            command(20);
            break;
        case 2:
            command(21);
            break;
        case 3:
            command(22);
            break;
        case 4:
            command(23);
            txtPolyline->show();
            break;
        case 5:
            command(24);
            txtAngle->setText(QStringLiteral("Deg ???"));
            txtAngle->show();
            break;
        case 6:
            command(26);
            break;
        case 8:
            if (undo) undo();
            break;
        case 9:
            showByGroup();
            command(25);
            break;
        case 10:
            showByGroup();
            openWidthChooser();
            break;
        default:
            break;
    }
}

void frmDrawToolBox::openWidthChooser() {
    if (!overlay_) return;
    frmDrawWidth chooser(*overlay_, this);
    QWidget* undoButton = Toolbar1->widgetForAction(buttons_[8]);
    const int offsetX = undoButton ? undoButton->mapTo(this, QPoint(0, 0)).x() : 0;
    chooser.move(x() + offsetX, y() + picHue->y());
    chooser.ShowModal();
}

void frmDrawToolBox::pick(float x, float y) {
    if (!(x > 0 && x < picHue->ScaleWidth() && y > 0 && y < picHue->ScaleHeight())) return;
    const long column = std::lrint(x) / std::lrint(platform::TwipsPerPixelX());
    const float h = float(column - 40) / 40;
    long r = 0, g = 0, b = 0;
    ConvertHlsToRgb(h, 1, 0.5f, r, g, b);
    selectedColor_ = int(RGB(r, g, b));
    picSelected->SetBackColor(ColorOf(selectedColor_));
    picSelected->Cls();
    picSelected->Refresh();
}

void frmDrawToolBox::ShowPenColor() {
    if (!overlay_) return;
    selectedColor_ = overlay_->Line1.BorderColor;
    picSelected->SetBackColor(ColorOf(selectedColor_));
    picSelected->Cls();
    picSelected->Refresh();
}

void frmDrawToolBox::picHue_MouseDown(int, int, float x, float y) {
    pick(x, y);
}

void frmDrawToolBox::picHue_MouseMove(int button, int, float x, float y) {
    if (button & platform::vbLeftButton) pick(x, y);
}

void frmDrawToolBox::picHue_MouseUp(int, int, float, float) {
    if (!overlay_) return;
    overlay_->Line1.BorderColor = selectedColor_;
    overlay_->Shape1.BorderColor = selectedColor_;
    overlay_->CreateDrawPens(overlay_->Line1.BorderWidth, overlay_->Line1.BorderColor);
}
