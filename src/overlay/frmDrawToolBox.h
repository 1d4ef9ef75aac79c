#pragma once
// The drawing tool box: tools, colour and the angle and length readout.

#include "shell/ToolWindow.h"

class frmDrawToolBox : public ToolWindow {
    Q_OBJECT
public:
    explicit frmDrawToolBox(QWidget* owner);
};
