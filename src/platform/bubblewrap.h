#pragma once

class QProcess;

namespace vlm {

// Where bubblewrap is installed and works, makes `process` start its program inside it: in
// namespaces of its own (no network, no other processes to see or signal) with a read-only
// view of only the libraries, fonts and the program itself. Elsewhere, and where it fails
// (no user namespaces), `process` is left as it is: the helper confines itself either way.
// Call after the program, its arguments and the child modifier are set.
void startInBubblewrap(QProcess& process);

} // namespace vlm
