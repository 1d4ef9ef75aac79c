#include "platform/HelpViewer.h"

#include "platform/HelpWindow.h"

#include <utility>

namespace platform {
namespace {

HelpAnswerer& helpAnswerer() {
    static HelpAnswerer answerer;
    return answerer;
}

}  // namespace

bool ShowHelpPage(const HelpRequest& request) {
    if (helpAnswerer()) return helpAnswerer()(request);
    // The pages have no context map, so a context number shows the page itself.
    const bool fresh = HelpWindow::Existing() == nullptr;
    HelpWindow* window = HelpWindow::Instance();
    if (!window->ShowPage(request.path)) {
        if (fresh) delete window;
        return false;
    }
    // The viewer lives beside the program but goes when its owner goes.
    if (request.owner)
        QObject::connect(request.owner, &QObject::destroyed, window, &QWidget::close, Qt::UniqueConnection);
    window->show();
    window->raise();
    window->activateWindow();
    return window->isVisible();
}

HelpAnswerer SetHelpAnswerer(HelpAnswerer answerer) {
    return std::exchange(helpAnswerer(), std::move(answerer));
}

}  // namespace platform
