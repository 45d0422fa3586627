// What the drop target and the main window decide about dropped data without a window.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The dropped path or address, terminating zero included.
constexpr std::size_t kDroppedItemSize = 1024;
// A dropped text that is no address is kept only when shorter than this, in bytes.
constexpr std::size_t kDroppedTextLimit = 50000;

// The notification's wParam: what the drop gave.
enum class DropKind { kUrl = 0, kFiles = 1, kText = 2 };

// A dropped text without the blanks and line ends around it.
std::string_view TrimDroppedText(std::string_view text);

// A clipboard text as a path or address: trimmed as a dropped text, then without one pair of
// double quotes around it (Explorer's "Copy as path").
std::string_view TrimClipboardText(std::string_view text);

// How a trimmed text is taken: an address shorter than the item buffer, any other text shorter
// than the limit, else nothing. `acceptedAsUrl` is the system's verdict; a text with control
// characters is never an address.
std::optional<DropKind> ClassifyDroppedText(std::string_view text, bool acceptedAsUrl);

// What the main window does with a drop.
struct DropPlan {
    enum Action { kIgnore, kDownload, kLoad, kRefuse } action = kIgnore;
    std::string target;  // the address or path, a copy so later drops cannot change it
};

// A URL is downloaded; a dropped file is loaded when its path fits the source path, else refused
// as a failed load; a text (null when none was kept) is loaded when it fits as a clipboard path
// does and names an existing file (`isFile`) with a picture extension; anything else is ignored.
DropPlan PlanDrop(DropKind kind, const char* item, const char* text,
                  const std::function<bool(const char* path)>& isFile);
