#pragma once

#include <QProcessEnvironment>

namespace vlm {

// Whether a window could be shown: false on a console, over ssh without X forwarding, or in an
// uninstaller run without a desktop, where creating the GUI application would abort.
bool displayAvailable(const QProcessEnvironment& environment);

} // namespace vlm
