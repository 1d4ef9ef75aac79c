#pragma once
// The line width chooser: five picture buttons for pen widths 1..5. The button under the
// mouse and the current width are highlighted; releasing the mouse over a button sets the
// width of both style holders and closes the window; a click on the background closes it
// without a change. It is modal; tests replace the modal run through SetModalRunner.

#include <QDialog>

#include <array>
#include <functional>

class QGroupBox;
class QPushButton;
class OverlayModel;

class frmDrawWidth : public QDialog {
    Q_OBJECT
public:
    frmDrawWidth(OverlayModel& overlay, QWidget* owner);

    std::array<QPushButton*, 5> cmbLineWidth{};
    QGroupBox* Frame1 = nullptr;

    // Runs the window modally (or through the runner a test installed).
    void ShowModal();
    using ModalRunner = std::function<void(frmDrawWidth&)>;
    // Replaces the modal run; an empty function restores exec(). Returns the previous one.
    static ModalRunner SetModalRunner(ModalRunner runner);

    bool IsHighlighted(int index) const { return highlighted_.at(std::size_t(index)); }
    bool IsUnloaded() const { return unloaded_; }

    // --- Events.
    void Form_Load();
    void Form_Activate();
    void Form_Click();
    void Form_MouseMove();
    void cmbLineWidth_MouseMove(int index);
    void cmbLineWidth_MouseUp(int index);

    void HighlightWidthButton(int index);
    void ResetButtons();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int currentIndex() const;
    void unload();

    OverlayModel& overlay_;
    std::array<bool, 5> highlighted_{};
    bool unloaded_ = false;
    bool backgroundPressed_ = false;
};
