#include "common/logging.h"

namespace vlm {

Q_LOGGING_CATEGORY(settingsLog, "vlm.settings")
Q_LOGGING_CATEGORY(autostartLog, "vlm.autostart")
Q_LOGGING_CATEGORY(wallpaperLog, "vlm.wallpaper")
Q_LOGGING_CATEGORY(instanceLog, "vlm.instance")
Q_LOGGING_CATEGORY(pictureLog, "vlm.picture")

} // namespace vlm
