#include "platform/WindowHandle.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <unordered_map>

namespace platform {
namespace {

constexpr char kHandleProperty[] = "varkelo_window_handle";

struct HandleTable {
    // Starts well above small numbers so that a stray 0, 1 or -1 never names a window.
    WindowHandle next = 0x10000;
    std::unordered_map<WindowHandle, QPointer<QWidget>> widgets;
};

HandleTable& table() {
    static HandleTable t;
    return t;
}

}  // namespace

WindowHandle HandleOf(QWidget* widget) {
    if (!widget) return 0;
    const QVariant known = widget->property(kHandleProperty);
    if (known.isValid()) return known.value<WindowHandle>();
    HandleTable& t = table();
    const WindowHandle handle = t.next++;
    t.widgets.emplace(handle, widget);
    widget->setProperty(kHandleProperty, QVariant::fromValue(handle));
    QObject::connect(widget, &QObject::destroyed, [handle] { table().widgets.erase(handle); });
    return handle;
}

QWidget* WidgetOf(WindowHandle handle) {
    const HandleTable& t = table();
    const auto it = t.widgets.find(handle);
    return it == t.widgets.end() ? nullptr : it->second.data();
}

}  // namespace platform
