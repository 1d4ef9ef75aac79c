#include "platform/FilePreviewPane.h"

#include "platform/FileDialog.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace platform {
namespace {

const QString kNoPreview = QStringLiteral("No preview");

QSize fitInto(QSize size, QSize box) {
    if (size.width() <= box.width() && size.height() <= box.height()) return size;
    return size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

}  // namespace

FilePreviewPane::FilePreviewPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("previewPane"));
    auto* layout = new QVBoxLayout(this);
    view_ = new QLabel(this);
    view_->setObjectName(QStringLiteral("previewPicture"));
    view_->setAlignment(Qt::AlignCenter);
    view_->setFixedSize(kPictureBox + QSize(4, 4));
    view_->setFrameShape(QFrame::StyledPanel);
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("previewCaption"));
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setWordWrap(true);
    layout->addWidget(view_);
    layout->addWidget(caption_);
    layout->addStretch(1);
}

QString FilePreviewPane::Text() const {
    return picture_.isNull() ? view_->text() : QString();
}

void FilePreviewPane::ShowFile(const QString& path) {
    caption_->clear();
    if (path.isEmpty()) {
        showText({});
        return;
    }
    const QFileInfo info(path);
    if (!info.isFile()) {
        showText(kNoPreview);
        return;
    }
    const QString suffix = info.suffix().toLower();
    QImage picture;
    QSize original;
    if (suffix == QLatin1String("bmp") || suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        picture = loadPicture(path, &original);
    } else if (const auto& provider = CurrentClipPreviewProvider()) {
        // Any other file may be a clip (MP4, MOV, MKV, ...); the provider says.
        // A provider that fails must not take the dialog down with it.
        try {
            picture = provider(path);
        } catch (...) {
            picture = QImage();
        }
    }
    if (picture.isNull()) {
        showText(kNoPreview);
        return;
    }
    if (!original.isValid()) original = picture.size();
    const QSize fitted = fitInto(original, kPictureBox);
    if (fitted != original) picture = picture.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    showPicture(picture);
    caption_->setText(QStringLiteral("%1 x %2").arg(original.width()).arg(original.height()));
}

QImage FilePreviewPane::loadPicture(const QString& path, QSize* original) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    // Let the decoder scale (JPEG can decode at a fraction of its size), so a big
    // photo costs little; the caption still gives the picture's own size.
    if (size.isValid()) {
        const QSize fitted = fitInto(size, kPictureBox);
        if (fitted != size) reader.setScaledSize(fitted);
    }
    QImage picture = reader.read();
    if (!picture.isNull() && size.isValid()) *original = size;
    return picture;
}

void FilePreviewPane::showPicture(const QImage& picture) {
    picture_ = picture;
    view_->setText({});
    view_->setPixmap(QPixmap::fromImage(picture_));
}

void FilePreviewPane::showText(const QString& text) {
    picture_ = QImage();
    view_->setPixmap(QPixmap());
    view_->setText(text);
}

}  // namespace platform
