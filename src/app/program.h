#pragma once

#include "desktop/commandline.h"

class QApplication;

namespace vlm {

class ApplicationService;

// The uninstall mode where no display exists: the same removals, the message on standard
// output. QCoreApplication must exist.
int uninstallWithoutDisplay();

// Builds the window with the real services, runs start-up and the event loop; the service
// answers other processes from then on. Returns the exit status.
int runWindow(QApplication& app, ApplicationService& service, LaunchRequest request);

} // namespace vlm
