#pragma once

#include <QStringList>

// Confinement of the decoding helper: whatever a crafted picture makes the decoders do, the
// process can read only what decoding needs, write no file, reach no network and start no
// program.
namespace vlm::decoder {

enum class Confinement {
    Full,            // system-call filter and file-system rules
    FilesUnconfined, // the kernel offers no Landlock: system-call filter only
    Failed,          // no system-call filter: nothing may be decoded
};

// What a fuzzer run around the decoders needs beyond them: its corpus and inputs to read, and
// folders for its finds (new inputs, crash artifacts) to write.
struct FuzzerRoom {
    QStringList readable;
    QStringList writable;
};

// Confines this process for good. Called before the first byte of input is read.
Confinement confineDecoding(const FuzzerRoom& fuzzer = {});

// decodingReadablePaths(), and what the build's sanitizer reads.
QStringList readablePaths();

// Landlock: every file outside `readable` and `writable` becomes unreadable, and nothing
// outside `writable` is writable. False when the kernel offers no Landlock or the rules could
// not be applied.
bool restrictFiles(const QStringList& readable, const QStringList& writable);

// seccomp: the system calls decoding makes, and nothing else; for a fuzzer also writing files
// (where Landlock lets it), removing them, and its timers and resource counts.
bool installSyscallFilter(bool forFuzzer);

} // namespace vlm::decoder
