#pragma once

#include <QStringList>

// Confinement of the decoding helper: whatever a crafted picture makes the decoders do, the
// process can read only what decoding needs, write no file, reach no network and start no
// program.
namespace vlm::decoder {

enum class Confinement {
    Full,            // system-call filter and file-system rules
    FilesInSandbox,  // the kernel offers no Landlock, bubblewrap shows only what decoding reads
    FilesUnconfined, // neither Landlock nor bubblewrap: system-call filter only
    Failed,          // refused (said why on standard error): nothing may be decoded
};

// What a fuzzer run around the decoders needs beyond them: its corpus and inputs to read, and
// folders for its finds (new inputs, crash artifacts) to write.
struct FuzzerRoom {
    QStringList readable;
    QStringList writable;
};

// What the decoders of a kind load on first use, loaded before the filter forbids it: Qt's
// plugins by their paths under the plugin folder ("imageformats/libqjpeg.so"), gdk-pixbuf's
// loaders, glibc's text converters. Loading is most of a helper's start, so a kind names only
// what it uses; by default, everything any kind uses.
struct LateLibraries {
    QStringList qtPlugins = everyQtPlugin();
    bool pixbufLoaders = true;
    bool textConverters = true;

    static QStringList everyQtPlugin(); // the image readers installed and the offscreen platform
};

// What the confined process does besides decoding.
enum class Serving {
    OnePicture,
    // forks a process per request, received with its descriptors on standard input, which
    // installs the one-picture filter on top before it decodes (serve.h)
    ForkPerPicture,
};

// Confines this process for good. Called before the first byte of input is read, while only
// standard input, output and error are open and only one thread runs (a fuzzer run may hold
// descriptors of its own).
Confinement confineDecoding(const FuzzerRoom& fuzzer = {}, const LateLibraries& late = {},
                            Serving serving = Serving::OnePicture);

// decodingReadablePaths(), and what the build's sanitizer reads.
QStringList readablePaths();

// Loads what the decoders would otherwise load on first use (Qt's plugins, text converters),
// so that the system-call filter can forbid every new executable mapping.
void loadLateLibraries(const LateLibraries& late);

enum class FileRules {
    Applied,
    Unavailable, // the kernel offers no Landlock
    Failed,      // the kernel offers Landlock, but the rules could not be made or applied
};

// The Landlock version the kernel offers; 0 for none.
int landlockVersion();

// Landlock: every file outside `readable` and `writable` becomes unreadable, and nothing
// outside `writable` is writable. Binds the calling thread only.
FileRules restrictFiles(const QStringList& readable, const QStringList& writable);

// seccomp: the system calls decoding makes, and nothing else; for a fuzzer also writing files
// (where Landlock lets it), removing them, and its timers and resource counts; for a server
// also forking, waiting for its children and talking on its socket. Filters add up: one
// installed on top of another can only take calls away.
bool installSyscallFilter(bool forFuzzer, Serving serving = Serving::OnePicture);

} // namespace vlm::decoder
