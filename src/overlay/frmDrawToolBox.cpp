#include "overlay/frmDrawToolBox.h"

frmDrawToolBox::frmDrawToolBox(QWidget* owner) : ToolWindow(QStringLiteral("Drawing Tool..."), owner) {}
