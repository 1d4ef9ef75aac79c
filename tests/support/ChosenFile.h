#pragma once

#include "platform/FileDialog.h"

#include <QString>

#include <vector>

// Answers every file dialog while it lives with the file last chosen (none: cancelled), and
// keeps what was asked.
class ChosenFile {
public:
    ChosenFile()
        : previous_(platform::SetFileDialogAnswerer([this](const platform::FileDialogRequest& r) {
              requests.push_back(r);
              return answer;
          })) {}
    ~ChosenFile() { platform::SetFileDialogAnswerer(previous_); }

    void Choose(const QString& path, int filterIndex = 1) {
        answer = {};
        answer.accepted = !path.isEmpty();
        answer.path = path;
        answer.filterIndex = filterIndex;
    }
    // A toolbar command of the main window (1 opens a clip, 7 inserts or closes the model) with
    // `path` chosen.
    template <class Window>
    void Click(Window& w, int command, const QString& path = {}) {
        Choose(path);
        w.Toolbar_Click(command);
    }

    platform::FileDialogResult answer;
    std::vector<platform::FileDialogRequest> requests;

private:
    platform::FileDialogAnswerer previous_;
};
