// What the entry point sets up once for the whole run: the instance, the paths beside the
// executable and the settings word.
#pragma once

#include <windows.h>

#include "app/app_paths.h"

void InitAppContext(HINSTANCE instance, const AppPaths& paths, unsigned settingsWord);

HINSTANCE AppInstance();
const AppPaths& Paths();

// Changed only by the entry point and the test-page settings.
unsigned SettingsWord();
void SetSettingsWord(unsigned word);
