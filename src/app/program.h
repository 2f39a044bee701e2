#pragma once

#include "desktop/commandline.h"

class QApplication;
class QCoreApplication;

namespace vlm {

class ApplicationService;

// The uninstall command line: ends a running copy without saving (waiting at most 5 s for it),
// resets desktop wallpaper settings that name the program's bitmaps, removes the program's
// traces and the folders that held only them, and says so in the message (on standard output
// without a display). Runs app's event loop; returns the exit status.
int uninstallProgram(QCoreApplication& app, bool display);

// Builds the window with the real services, runs start-up and the event loop; the service
// answers other processes from then on. Returns the exit status.
int runWindow(QApplication& app, ApplicationService& service, LaunchRequest request);

} // namespace vlm
