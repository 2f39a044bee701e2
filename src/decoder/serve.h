#pragma once

#include "decoder/confine.h"

namespace vlm::decoder {

// Decodes one picture as the helper's command line asks (argv[1] onwards), from standard input
// to standard output; `confine` false where the process is confined already. Its exit status.
using DecodeCommand = int (*)(int argc, char** argv, bool confine);

// vlm-decode-common serve: confines itself once, with what a fork per picture needs, and then
// for each request (common/decodewire.h) forks a process that narrows its system calls to a
// one-picture helper's and decodes with `decode`. A change in quick succession thus starts no
// new sandbox and loads no library, yet every picture still decodes in a process of its own,
// fresh from a state no picture has touched, under limits of its own (a forked process's CPU
// time starts from nothing). Ends when the program closes the socket.
int serveDecoding(DecodeCommand decode, const LateLibraries& late);

} // namespace vlm::decoder
