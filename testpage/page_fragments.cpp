#include "testpage/page_fragments.h"

#include <cstdio>

namespace {

constexpr char kCopyIcon[] =
    "R0lGODdhEAAQAPAAAAAAAP///yH+A01JSQAh+QQJAAABACwAAAAAEAAQAAACKIQfqQvcy+KDYdZklT08ejxl20VqXiM63QcZLQVyLpyV"
    "703VNZbLXAEAOw==";

template <typename... Values>
std::string Formatted(const char* format, Values... values) {
    char text[128];
    const int length = std::snprintf(text, sizeof text, format, values...);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace

std::string FormatDataSize(std::size_t bytes) {
    std::string text = std::to_string(bytes);
    // Digits before the first comma; the millions take no comma of their own.
    std::size_t lead = text.size();
    for (int group = 0; group < 2 && lead > 3; ++group) {
        lead -= 3;
        text.insert(lead, 1, ',');
    }
    return text;
}

CopyButton BuildCopyButton(int& counter) {
    const std::string box = Formatted("s%d", counter);
    const std::string function = Formatted("f%d()", counter);
    ++counter;
    CopyButton button;
    button.before.append("<input id=\"").append(box).append("\" type=\"text\" value='");
    button.after.append("'><button onclick=\"")
        .append(function)
        .append("\"><img src=\"data:image/gif;base64,");
    button.after.append(kCopyIcon).append("\"></button><script>function ").append(function);
    button.after.append("{var c = document.getElementById(\"").append(box);
    button.after.append("\");c.select();document.execCommand(\"Copy\");}</script>");
    return button;
}

std::string VariantHeading(const Encoding& encoding) {
    const PictureFormat& format = FormatOf(encoding.format);
    const std::string form = encoding.lossless   ? "(lossless)"
                             : format.hasQuality ? Formatted("(q=%d)", encoding.quality)
                                                 : "";
    return std::string("<hr><h3>") + format.heading + form + "</h3>\r\n";
}

std::string MethodText(int method, int side) {
    switch (method) {
        case kLimitWidth:
            return Formatted("幅(%dピクセル)に制限する", side);
        case kFixWidth:
            return Formatted("幅(%dピクセル)に固定する", side);
        case kFitSquare:
            return Formatted("正方形(%d x %d)に収める", side, side);
        default:
            return "そのまま表示する";
    }
}

std::string SizeText(int width, int height) {
    return Formatted("%d x %d", width, height);
}
