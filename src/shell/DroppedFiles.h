#pragma once
// Which of the files dropped on the main window opens, and where. No widgets: it looks only at
// the names and at the file system.

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

struct OpenRequest {
    QString path;
    bool asModel = false;  // inserted as the model instead of opening in video 1
};

// The first dropped item that is a local file (not a folder) named as a clip or a picture;
// nothing when there is none. With Shift held a clip goes in as the model, provided there is
// something loaded to compare it with (`modelPossible`); otherwise it opens in video 1.
std::optional<OpenRequest> ChooseDroppedFile(const QList<QUrl>& urls, bool shift, bool modelPossible);
