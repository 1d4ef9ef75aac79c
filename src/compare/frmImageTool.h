#pragma once
// The image tool: brightness, inversion and mirroring of video 1.

#include "shell/ToolWindow.h"

class frmImageTool : public ToolWindow {
    Q_OBJECT
public:
    explicit frmImageTool(QWidget* owner);
};
