#pragma once
// The video controls window: stepping, playing, speed and blend.

#include "shell/ToolWindow.h"

class frmVideoControls : public ToolWindow {
    Q_OBJECT
public:
    explicit frmVideoControls(QWidget* owner);
};
