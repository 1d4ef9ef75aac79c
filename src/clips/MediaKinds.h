#pragma once
// Which files the program opens as clips and which as still pictures.

#include <QString>

// The containers phones and cameras write, and AVI; anything else FFmpeg recognises by its
// content opens too when chosen by name.
inline const QString kVideoPatterns =
    QStringLiteral("*.avi;*.mp4;*.mov;*.m4v;*.3gp;*.3g2;*.mkv;*.webm;*.mts;*.m2ts;*.mpg;*.mpeg;*.wmv");
inline const QString kPicturePatterns = QStringLiteral("*.bmp;*.jpg;*.jpeg");

// A still picture by its extension; every other file is tried as a clip.
inline bool IsPictureFile(const QString& path) {
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String(".bmp")) || lower.endsWith(QLatin1String(".jpg")) ||
           lower.endsWith(QLatin1String(".jpeg"));
}
