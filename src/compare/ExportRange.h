#pragma once
// Export Video's question before the file name: every frame, or from one frame to another.
// Tests install an answerer instead of the dialog.

#include <functional>

class QWidget;

struct ExportRangeAnswer {
    bool accepted = false;
    int from = 0;  // frame numbers, both included
    int to = 0;
};

// Asks for the frames to export out of first..last; the dialog starts on every frame.
ExportRangeAnswer ChooseExportRange(QWidget* owner, int first, int last);

using ExportRangeAnswerer = std::function<ExportRangeAnswer(int first, int last)>;
// Installs `answerer` (empty: the dialog again) and returns the one before.
ExportRangeAnswerer SetExportRangeAnswerer(ExportRangeAnswerer answerer);
