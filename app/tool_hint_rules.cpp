#include "app/tool_hint_rules.h"

namespace {

constexpr int kMargin = 3;
constexpr int kGap = 6;

bool Contains(const PixelRect& area, PixelPoint point) {
    return area.left <= point.x && point.x < area.right && area.top <= point.y && point.y < area.bottom;
}

bool Near(PixelPoint a, PixelPoint b) {
    const long long dx = static_cast<long long>(a.x) - b.x, dy = static_cast<long long>(a.y) - b.y;
    return dx >= -HintRest::kTolerance && dx <= HintRest::kTolerance && dy >= -HintRest::kTolerance &&
           dy <= HintRest::kTolerance;
}

}  // namespace

std::vector<std::string_view> HintLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (static_cast<int>(lines.size()) < kMaxHintLines) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            if (!text.empty()) lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

PixelRect PlaceToolHint(const PixelRect& area, int widest, int lines, int lineHeight,
                        const PixelRect& monitor) {
    const long long width = widest + 2LL * kMargin,
                    height = static_cast<long long>(lines) * lineHeight + 2 * kMargin;
    long long x = area.left + (static_cast<long long>(area.right) - area.left) / 2 - width / 2;
    long long y = area.top + (static_cast<long long>(area.bottom) - area.top) / 2;
    if (x + width > monitor.right) x = monitor.right - width;
    if (x < monitor.left) x = monitor.left;
    const long long gap = (static_cast<long long>(area.bottom) - area.top) / 2 + kGap;
    y = y + height + gap < monitor.bottom ? y + gap : y - height - gap;
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + width),
            static_cast<int>(y + height)};
}

void HintRest::Restart(PixelPoint point, std::uint32_t now) {
    shown_ = -1;
    restPoint_ = point;
    restTime_ = now;
}

HintRest::Step HintRest::Tick(bool buttonDown, PixelPoint point, std::uint32_t now,
                              const std::vector<PixelRect>& areas) {
    Step step;
    if (buttonDown) {
        step.hide = shown_ >= 0;
        shown_ = -1;
        restTime_ = now;
        return step;
    }
    if (shown_ >= 0) {
        const std::size_t row = static_cast<std::size_t>(shown_);
        if (row < areas.size() && Contains(areas[row], point)) return step;
        // Leaving a shown hint's control shows the next control's hint at once.
        shown_ = -1;
        step.hide = step.search = true;
        return step;
    }
    if (point.x >= 0 && point.y >= 0 && Near(point, restPoint_)) {
        // Unsigned difference, right across the wrap of the tick count.
        step.search = now - restTime_ >= kRestMilliseconds;
        return step;
    }
    restPoint_ = point;
    restTime_ = now;
    return step;
}

int HintRest::Search(PixelPoint point, std::uint32_t now, const std::vector<PixelRect>& areas,
                     const std::function<bool(int row)>& reachable) {
    for (std::size_t row = 0; row < areas.size(); ++row) {
        if (!Contains(areas[row], point)) continue;
        if (!reachable(static_cast<int>(row))) break;
        shown_ = static_cast<int>(row);
        return shown_;
    }
    restPoint_ = point;
    restTime_ = now;
    return -1;
}
