#include "playback/frmVideoControls.h"

frmVideoControls::frmVideoControls(QWidget* owner) : ToolWindow(QStringLiteral("Video Controls"), owner) {}
