#include "overlay/frmDrawWidth.h"

#include "overlay/OverlayModel.h"
#include "ui/Artwork.h"

#include <QEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QSize kImageSize(120, 26);

frmDrawWidth::ModalRunner& modalRunner() {
    static frmDrawWidth::ModalRunner runner;
    return runner;
}

}  // namespace

frmDrawWidth::frmDrawWidth(OverlayModel& overlay, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      overlay_(overlay) {
    setWindowTitle(QStringLiteral("Line Width..."));
    setModal(true);
    setMouseTracking(true);
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* column = new QVBoxLayout(Frame1);
    column->setSpacing(2);
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(Frame1);
        b->setObjectName(QStringLiteral("cmbLineWidth%1").arg(i));
        b->setIconSize(kImageSize);
        b->setFixedSize(kImageSize + QSize(8, 6));
        b->setMouseTracking(true);
        b->installEventFilter(this);
        b->setToolTip(QStringLiteral("%1 pixel%2").arg(i + 1).arg(i == 0 ? "" : "s"));
        column->addWidget(b);
        cmbLineWidth[std::size_t(i)] = b;
    }
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->addWidget(Frame1);
    ResetButtons();
    Form_Load();
}

frmDrawWidth::ModalRunner frmDrawWidth::SetModalRunner(ModalRunner runner) {
    ModalRunner previous = std::move(modalRunner());
    modalRunner() = std::move(runner);
    return previous;
}

void frmDrawWidth::ShowModal() {
    if (modalRunner())
        modalRunner()(*this);
    else
        exec();
}

int frmDrawWidth::currentIndex() const {
    // The width is always 1..5 when it comes from here; keep an odd one on the nearest button.
    return std::clamp(overlay_.Line1.BorderWidth, 1, 5) - 1;
}

void frmDrawWidth::HighlightWidthButton(int index) {
    if (index < 0 || index > 4) return;
    cmbLineWidth[std::size_t(index)]->setIcon(QIcon(LineWidthImage(index + 1, true, kImageSize)));
    highlighted_[std::size_t(index)] = true;
}

void frmDrawWidth::ResetButtons() {
    for (int i = 0; i < 5; ++i) {
        cmbLineWidth[std::size_t(i)]->setIcon(QIcon(LineWidthImage(i + 1, false, kImageSize)));
        highlighted_[std::size_t(i)] = false;
    }
}

void frmDrawWidth::Form_Load() {
    HighlightWidthButton(currentIndex());
}

void frmDrawWidth::Form_Activate() {
    cmbLineWidth[std::size_t(currentIndex())]->setFocus();
}

void frmDrawWidth::Form_Click() {
    unload();
}

void frmDrawWidth::Form_MouseMove() {
    ResetButtons();
    HighlightWidthButton(currentIndex());
    cmbLineWidth[std::size_t(currentIndex())]->setFocus();
}

void frmDrawWidth::cmbLineWidth_MouseMove(int index) {
    ResetButtons();
    HighlightWidthButton(index);
}

void frmDrawWidth::cmbLineWidth_MouseUp(int index) {
    if (index < 0 || index > 4) return;
    overlay_.Line1.BorderWidth = index + 1;
    overlay_.Shape1.BorderWidth = index + 1;
    overlay_.CreateDrawPens(overlay_.Line1.BorderWidth, overlay_.Line1.BorderColor);
    unload();
}

void frmDrawWidth::unload() {
    unloaded_ = true;
    done(QDialog::Accepted);
}

bool frmDrawWidth::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < 5; ++i) {
        if (watched != cmbLineWidth[std::size_t(i)]) continue;
        if (event->type() == QEvent::MouseMove) {
            cmbLineWidth_MouseMove(i);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            cmbLineWidth_MouseUp(i);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmDrawWidth::mousePressEvent(QMouseEvent* event) {
    backgroundPressed_ = true;
    event->accept();
}

void frmDrawWidth::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release on the background.
    const bool click = backgroundPressed_ && rect().contains(event->position().toPoint());
    backgroundPressed_ = false;
    event->accept();
    if (click) Form_Click();
}

void frmDrawWidth::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    Form_MouseMove();
}

void frmDrawWidth::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}
