#include "shell/DroppedFiles.h"

#include "clips/MediaKinds.h"

#include <QDir>
#include <QFileInfo>

std::optional<OpenRequest> ChooseDroppedFile(const QList<QUrl>& urls, bool shift, bool modelPossible) {
    // The file list's own patterns: a drop opens what the list would show.
    static const QStringList patterns = (kVideoPatterns + QLatin1Char(';') + kPicturePatterns).split(QLatin1Char(';'));
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QFileInfo info(url.toLocalFile());
        if (!info.isFile() || !QDir::match(patterns, info.fileName())) continue;
        const bool picture = IsPictureFile(info.fileName());
        return OpenRequest{info.absoluteFilePath(), shift && !picture && modelPossible};
    }
    return std::nullopt;
}
