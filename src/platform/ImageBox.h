#pragma once
// An image control: shows a picture (stretched to its size when asked) and reports clicks.

#include <QLabel>

namespace platform {

class ImageBox : public QLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr) : QLabel(parent) {}

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace platform
