#include "compare/frmModelTool.h"

frmModelTool::frmModelTool(QWidget* owner) : ToolWindow(QStringLiteral("Adjust Model"), owner) {}
