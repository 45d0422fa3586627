// Feeds arbitrary bytes to what the drop target and the main window decide about a dropped or
// copied text or path: the text is taken up to its first zero, as both take it.
#include <string>

#include "app/drop_rules.h"
#include "app/source_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text(TrimDroppedText(bytes.c_str()));
    if (TrimClipboardText(bytes.c_str()).size() > text.size()) __builtin_trap();
    for (const bool acceptedAsUrl : {false, true}) {
        const std::optional<DropKind> kind = ClassifyDroppedText(text, acceptedAsUrl);
        if (kind == DropKind::kUrl && text.size() >= kDroppedItemSize) __builtin_trap();
        if (kind == DropKind::kText && text.size() >= kDroppedTextLimit) __builtin_trap();
    }
    for (const DropKind kind : {DropKind::kUrl, DropKind::kFiles, DropKind::kText}) {
        const DropPlan plan = PlanDrop(kind, text.c_str(), text.c_str(), [](const char*) { return true; });
        if (plan.action == DropPlan::kLoad && plan.target.size() >= kSourcePathSize) __builtin_trap();
    }
    return 0;
}
