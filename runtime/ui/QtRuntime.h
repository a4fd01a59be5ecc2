#pragma once
// Binds the runtime to Qt: the posted-event queue drains from Qt's event loop (also inside modal
// windows and menus), the hourglass pointer becomes Qt's override cursor, and the system
// services get their Qt implementations. Call once, after the QApplication exists.
namespace runtime {

void installQtRuntime();
// Restores the built-in loop and services (for tests that end their QApplication).
void uninstallQtRuntime();

// Runs Qt's pending events and the posted events until neither has anything left (for tests and
// for scripts that let pending events run).
void processPendingEvents();

}  // namespace runtime
