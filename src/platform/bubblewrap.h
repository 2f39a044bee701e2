#pragma once

class QProcess;

namespace vlm {

// Finds out once whether bubblewrap is installed and starts a program here (it needs user
// namespaces), and which of its newer options it takes. It may wait seconds for the probe, so
// it is called off the window's thread, before the first helper starts. Thread-safe; calls
// after the first return at once.
void probeHelperSandbox();

// Where probeHelperSandbox() found that bubblewrap works, makes `process` start its program
// inside it: in a session and namespaces of its own (no network, no other processes to see or
// signal, no further user namespaces), with the environment set on `process` and nothing of
// bubblewrap's, and a read-only view of only the libraries, fonts and the program itself.
// Elsewhere, and on the window's thread before the probe, `process` is left as it is: the
// helper confines itself either way. On another thread it probes first where nothing did.
// Call after the program, its arguments, environment and child modifier are set.
void startInBubblewrap(QProcess& process);

} // namespace vlm
