#pragma once

#include <QStringList>

// Confinement of the decoding helper: whatever a crafted picture makes the decoders do, the
// process can read only what decoding needs, write no file, reach no network and start no
// program.
namespace vlm::metafile {

enum class Confinement {
    Full,            // system-call filter and file-system rules
    FilesUnconfined, // the kernel offers no Landlock: system-call filter only
    Failed,          // no system-call filter: nothing may be decoded
};

// Confines this process for good. Called before the first byte of input is read.
Confinement confineDecoding();

// decodingReadablePaths(), and what the build's sanitizer reads.
QStringList readablePaths();

// Landlock: every file outside `paths` becomes unreadable, and nothing is writable. False when
// the kernel offers no Landlock or the rules could not be applied.
bool restrictFilesToReading(const QStringList& paths);

// seccomp: the system calls decoding makes, and nothing else.
bool installSyscallFilter();

} // namespace vlm::metafile
