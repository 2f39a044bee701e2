#pragma once

#include <QString>

namespace vlm {

// The shell's result codes: anything above 32 means the target was opened.
enum ShellOpenResult : int {
    kShellOpenFailed = 0, // refused, or no handler opened it
    kShellOpened = 33,    // the lowest code that means success
};

// Opens target (an absolute URL such as the product's web page) with the desktop's default
// handler. A target that is not a valid URL with a scheme is refused.
ShellOpenResult ShellOpen(const QString& target);

} // namespace vlm
