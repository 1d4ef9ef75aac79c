#pragma once
// The preview pane beside the open dialog: a scaled picture of the selected BMP or
// JPEG file, or the first frame of a clip through the registered clip preview
// provider. Anything it cannot show reads "No preview".

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;

namespace platform {

class FilePreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit FilePreviewPane(QWidget* parent = nullptr);

    // The largest picture the pane shows; bigger pictures are scaled down to fit.
    static constexpr QSize kPictureBox{200, 150};

    // What the pane shows now: a picture, or a text ("No preview", or empty when no file).
    const QImage& Picture() const { return picture_; }
    QString Text() const;

public slots:
    // Shows the file at path; an empty path clears the pane.
    void ShowFile(const QString& path);

private:
    static QImage loadPicture(const QString& path, QSize* original);
    void showPicture(const QImage& picture);
    void showText(const QString& text);

    QLabel* view_ = nullptr;
    QLabel* caption_ = nullptr;
    QImage picture_;
};

}  // namespace platform
