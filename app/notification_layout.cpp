#include "app/notification_layout.h"

std::vector<std::string_view> MessageLines(std::string_view message) {
    std::vector<std::string_view> lines;
    for (std::size_t end; (end = message.find("\r\n")) != std::string_view::npos;) {
        lines.push_back(message.substr(0, end));
        message.remove_prefix(end + 2);
    }
    if (!message.empty()) lines.push_back(message);
    return lines;
}

NotificationLayout LayoutNotification(const NotificationFrame& frame, int widest, int lines) {
    NotificationLayout layout{0, frame.windowHeight, frame.edit, frame.button};
    if (widest <= 0 || lines <= 0) return layout;
    const int editHeight = frame.edit.Height();
    const int extra = (2 * lines - 2) * editHeight / 3;
    layout.windowWidth = widest + 60;
    layout.windowHeight = frame.windowHeight + extra;
    layout.edit = {frame.edit.left, frame.edit.top, frame.edit.left + widest + 10,
                   frame.edit.top + editHeight + extra};
    const int left = widest / 2 - 20, top = frame.button.top + extra;
    layout.button = {left, top, left + frame.button.Width(), top + frame.button.Height()};
    return layout;
}
