#include "compare/frmImageTool.h"

frmImageTool::frmImageTool(QWidget* owner) : ToolWindow(QStringLiteral("Image Tool"), owner) {}
