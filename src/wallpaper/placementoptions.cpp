#include "wallpaper/placementoptions.h"

#include "common/logging.h"
#include "platform/settingsstore.h"

namespace vlm {

void PlacementOptions::restore() {
    const auto malformed = [](const char* key, const QString& value, const char* meaning) {
        qCWarning(settingsLog).noquote()
            << QStringLiteral("option %1=%2 is not one the program knows; %3")
                   .arg(QLatin1String(key), value, QLatin1String(meaning));
    };
    const QString fit = settings_.read(QStringLiteral("fit"));
    const std::optional<Placement> placement = placementNamed(fit);
    if (!placement)
        malformed("fit", fit, "the desktop places the picture");
    const QString monitors = settings_.read(QStringLiteral("monitors"));
    const std::optional<MonitorPictures> choice =
        monitors.trimmed().isEmpty() ? MonitorPictures::Same : monitorPicturesNamed(monitors);
    if (!choice)
        malformed("monitors", monitors, "one picture on all monitors");
    bool badColour = false;
    const QString background = settings_.read(QStringLiteral("background"));
    background_ = backgroundColour(background, &badColour);
    if (badColour)
        malformed("background", background, "black bands");
    placement_ = placement.value_or(Placement::Desktop);
    monitors_ = choice.value_or(MonitorPictures::Same);
    Q_EMIT changed();
}

void PlacementOptions::setPlacement(Placement placement) {
    settings_.save(QStringLiteral("fit"), placementName(placement));
    if (placement == placement_)
        return;
    placement_ = placement;
    Q_EMIT changed();
    Q_EMIT placementSet();
}

void PlacementOptions::setMonitorPictures(MonitorPictures choice) {
    settings_.save(QStringLiteral("monitors"), monitorPicturesName(choice));
    if (choice == monitors_)
        return;
    monitors_ = choice;
    Q_EMIT changed();
    Q_EMIT monitorPicturesSet(choice);
}

} // namespace vlm
