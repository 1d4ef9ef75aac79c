#pragma once
// The model adjustment window: brightness, inversion, mirroring, zoom of the model.

#include "shell/ToolWindow.h"

class frmModelTool : public ToolWindow {
    Q_OBJECT
public:
    explicit frmModelTool(QWidget* owner);
};
