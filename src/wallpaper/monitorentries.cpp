#include "wallpaper/monitorentries.h"

#include <QTimer>

namespace vlm {

Orientation orientationOf(QSize uprightSize) {
    if (!uprightSize.isValid() || uprightSize.isEmpty())
        return Orientation::Unknown;
    if (uprightSize.width() == uprightSize.height())
        return Orientation::Square;
    return uprightSize.height() > uprightSize.width() ? Orientation::Portrait
                                                      : Orientation::Landscape;
}

namespace {

bool suits(Orientation picture, bool portraitMonitor) {
    return picture == Orientation::Square ||
           picture == (portraitMonitor ? Orientation::Portrait : Orientation::Landscape);
}

bool mixed(const QList<bool>& portraitMonitors) {
    return portraitMonitors.contains(true) && portraitMonitors.contains(false);
}

} // namespace

QList<int> chooseForMonitors(const QList<bool>& portraitMonitors, int candidates,
                             const std::function<Orientation(int position)>& orientationAt) {
    QList<int> chosen;
    if (candidates <= 0)
        return chosen;
    QList<bool> used(candidates, false);
    const bool lookAtOrientation = mixed(portraitMonitors);
    for (const bool portrait : portraitMonitors) {
        if (!used.contains(false))
            used.fill(false); // fewer entries than monitors: from the start again
        const int first = int(used.indexOf(false));
        int pick = first;
        if (lookAtOrientation) {
            for (int position = first, looked = 0;
                 position < candidates && looked <= kOrientationLookAhead; ++position) {
                if (used[position])
                    continue;
                if (suits(orientationAt(position), portrait)) {
                    pick = position;
                    break;
                }
                ++looked;
            }
        }
        used[pick] = true;
        chosen.append(pick);
    }
    return chosen;
}

int candidatesToRead(const QList<bool>& portraitMonitors, int candidates) {
    if (!mixed(portraitMonitors))
        return 0;
    return std::min<int>(candidates, int(portraitMonitors.size()) + kOrientationLookAhead);
}

void MonitorEntryChooser::choose(const QList<bool>& portraitMonitors,
                                 const QStringList& candidates) {
    cancel();
    portraitMonitors_ = portraitMonitors;
    candidates_ = int(candidates.size());
    const int reading = candidatesToRead(portraitMonitors, candidates_);
    orientations_ = QList<Orientation>(reading, Orientation::Unknown);
    waiting_ = reading;
    if (reading == 0) {
        // Nothing to read: the next entries in order, reported as a read choice would be.
        QTimer::singleShot(0, this, [this, generation = generation_] {
            if (generation == generation_)
                arrived(-1, {});
        });
        return;
    }
    for (int position = 0; position < reading; ++position) {
        PictureRequest request;
        request.path = candidates[position];
        request.sizeOnly = true;
        jobs_.push_back(pictures_.decode(request));
        connect(jobs_.back().get(), &PictureJob::finished, this,
                [this, position](const DecodedPicture& picture) { arrived(position, picture); });
    }
}

void MonitorEntryChooser::cancel() {
    ++generation_;
    jobs_.clear();
    waiting_ = 0;
}

void MonitorEntryChooser::arrived(int position, const DecodedPicture& picture) {
    if (position >= 0) {
        orientations_[position] = picture.problem == PictureProblem::None
                                      ? orientationOf(picture.size)
                                      : Orientation::Unknown;
        if (--waiting_ > 0)
            return;
    }
    jobs_.clear();
    const QList<Orientation> known = orientations_;
    Q_EMIT finished(chooseForMonitors(portraitMonitors_, candidates_, [&known](int at) {
        return known.value(at, Orientation::Unknown);
    }));
}

} // namespace vlm
