#pragma once

#include <QObject>
#include <functional>

namespace vlm {

// Calls onSignal on the event loop when the process is asked to end (SIGTERM, SIGINT, SIGHUP:
// a session that ends, a service manager, Ctrl+C), so the program can end as a closed window
// does instead of dying with its work half done. A second signal while the first is handled
// ends the process at once.
void handleTerminationSignals(QObject* context, std::function<void()> onSignal);

} // namespace vlm
