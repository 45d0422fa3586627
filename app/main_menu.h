// The menu of button 1024: the help page and the about box.
#pragma once

#include <windows.h>

#include "app/pointer_rules.h"

void RunMainMenu(HWND mainWindow, MenuGuard& guard);
