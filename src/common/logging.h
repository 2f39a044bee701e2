#pragma once

#include <QLoggingCategory>

// The program's diagnostics on standard error, one category per owner, so a user can turn
// them on or off with QT_LOGGING_RULES and tests can watch one owner's messages.
namespace vlm {

Q_DECLARE_LOGGING_CATEGORY(settingsLog)  // vlm.settings: options that could not be stored
Q_DECLARE_LOGGING_CATEGORY(autostartLog) // vlm.autostart: the autostart entry
Q_DECLARE_LOGGING_CATEGORY(wallpaperLog) // vlm.wallpaper: backend choice and failures
Q_DECLARE_LOGGING_CATEGORY(instanceLog)  // vlm.instance: talking to the running copy
Q_DECLARE_LOGGING_CATEGORY(pictureLog)   // vlm.picture: entries that cannot be shown

} // namespace vlm
