#pragma once
// Numeric window handles. Text commands (the media control's "parent <handle>") name a
// window by number; here a number is handed out per widget on first request and maps back
// to the widget while it lives. A counter, not QWidget::winId(): asking for a native id
// would turn the widget (and its ancestors) into native windows.

#include <cstdint>

class QWidget;

namespace platform {

using WindowHandle = int32_t;

// The widget's handle, stable for its lifetime; 0 for a null widget. Never reused.
WindowHandle HandleOf(QWidget* widget);
// The widget a handle names; null when the handle is unknown or its widget is gone.
QWidget* WidgetOf(WindowHandle handle);

}  // namespace platform
