#pragma once

#include "platform/picturesource.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <functional>
#include <vector>

namespace vlm {

// A picture's upright orientation as its header tells it; Unknown when it cannot be read.
enum class Orientation { Landscape, Portrait, Square, Unknown };
Orientation orientationOf(QSize uprightSize);

// How far past an entry a change looks for one that suits a monitor's orientation.
inline constexpr int kOrientationLookAhead = 10;

// The entries a change puts on the monitors. Candidates are the entries from the current one
// on, by their position in that order (0 = the current one); there are `candidates` of them.
// Each monitor in turn takes the first unused candidate whose orientation suits it (a square
// picture suits both), looking at most kOrientationLookAhead past the first unused one, else
// the first unused one whatever its orientation. With fewer candidates than monitors they are
// used again from the start. Returns the position each monitor takes.
QList<int> chooseForMonitors(const QList<bool>& portraitMonitors, int candidates,
                             const std::function<Orientation(int position)>& orientationAt);

// The candidates a choice for these monitors may look at: all of them when every monitor has
// the same orientation needs only the next ones in order.
int candidatesToRead(const QList<bool>& portraitMonitors, int candidates);

// Reads the orientation of the candidates (paths, in order) from their headers through the
// picture helper, all at once, then chooses. Reports once through finished.
class MonitorEntryChooser : public QObject {
    Q_OBJECT
public:
    explicit MonitorEntryChooser(PictureSource& pictures, QObject* parent = nullptr)
        : QObject(parent), pictures_(pictures) {}

    // Starts a choice; one still running is dropped. Layouts with monitors of one orientation
    // only are chosen at once, reporting from the event loop as well.
    void choose(const QList<bool>& portraitMonitors, const QStringList& candidates);
    void cancel();

Q_SIGNALS:
    // The position of each monitor's entry among the candidates.
    void finished(const QList<int>& positions);

private:
    void arrived(int position, const DecodedPicture& picture);

    PictureSource& pictures_;
    QList<bool> portraitMonitors_;
    int candidates_ = 0;
    std::vector<PictureJobPtr> jobs_;
    QList<Orientation> orientations_;
    int waiting_ = 0;
    int generation_ = 0;
};

} // namespace vlm
