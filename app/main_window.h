// The main window: a modal, always-on-top dialog with the preview, the output settings and the
// commands.
#pragma once

// Runs the window until it is closed.
void RunMainWindow();
