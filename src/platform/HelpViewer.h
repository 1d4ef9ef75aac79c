#pragma once
// Shows a help page, behind one seam. The program calls ShowHelpPage; tests install an
// answerer that records the request instead of opening a window. The real viewer is a
// help window of ours showing the HTML page, with links between pages working.

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Viewer commands, as the program numbers them.
enum HelpCommand : int {
    HH_DISPLAY_TOPIC = 0,
    HH_HELP_CONTEXT = 15,
};

struct HelpRequest {
    QString path;  // the page's file
    QWidget* owner = nullptr;
    int command = HH_DISPLAY_TOPIC;
    long data = 0;  // the context number with HH_HELP_CONTEXT
};

// Shows the page; true when a viewer window shows it.
bool ShowHelpPage(const HelpRequest& request);

using HelpAnswerer = std::function<bool(const HelpRequest&)>;

// Replaces the real viewer (tests). An empty function restores it. Returns the previous one.
HelpAnswerer SetHelpAnswerer(HelpAnswerer answerer);

}  // namespace platform
