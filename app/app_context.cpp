#include "app/app_context.h"

namespace {

struct AppContext {
    HINSTANCE instance = nullptr;
    AppPaths paths;
    unsigned settingsWord = 0;
};

AppContext& Context() {
    static AppContext context;
    return context;
}

}  // namespace

void InitAppContext(HINSTANCE instance, const AppPaths& paths, unsigned settingsWord) {
    Context() = AppContext{instance, paths, settingsWord};
}

HINSTANCE AppInstance() {
    return Context().instance;
}

const AppPaths& Paths() {
    return Context().paths;
}

unsigned SettingsWord() {
    return Context().settingsWord;
}

void SetSettingsWord(unsigned word) {
    Context().settingsWord = word;
}
