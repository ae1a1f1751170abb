#pragma once

// Whether somebody can see the program: a display, a system tray on it.
namespace fm::desktop {

// Before the application object exists: without an X11 or Wayland display and without
// a chosen platform, runs on the offscreen platform instead of failing to start.
void fallBackToOffscreenWithoutDisplay();

// A real display (not the offscreen or minimal platform).
bool hasDisplay();

// A display with a system tray: the program is attended, boxes and balloons are shown.
bool hasSystemTray();

}  // namespace fm::desktop
