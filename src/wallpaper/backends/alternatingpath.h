#pragma once

#include <QHash>
#include <QString>

namespace vlm {

// GNOME, Plasma and their relatives ignore a wallpaper setting that names the path they already
// show, and the program always writes the same "vlmimage.bmp". So each change hands the desktop
// a name in a private folder that it has never seen: a hard link to the bitmap (a copy when the
// folder is on another file system). Never one used before, not even two changes back: GNOME
// keeps the pictures it loaded by their path for a while and would show the old one again.
// Once the desktop took the new name the others are deleted, so nothing piles up; the bitmap
// itself keeps its name and place. Each bitmap (one a monitor) gets names of its own, from its
// base name: vlmimage.bmp gives vlmimage-<serial>.bmp, vlmimage2.bmp vlmimage2-<serial>.bmp.
class AlternatingPath {
public:
    explicit AlternatingPath(QString folder);

    // Makes a new name refer to the bitmap's current content and returns its absolute path, or
    // an empty string (with a reason in error) when that fails.
    QString prepare(const QString& bitmapPath, QString* error = nullptr);
    // Deletes every name but the one prepare() returned last for each bitmap.
    void dropPrevious();

    // ${XDG_DATA_HOME:-$HOME/.local/share}/vlm/wallpaper: kept across log-outs, unlike a cache.
    static QString defaultFolder(const QString& xdgDataHome, const QString& home);
    // Deletes every name this class makes in folder, then the folder when that empties it.
    static void removeAll(const QString& folder);

private:
    QString nameFor(const QString& stem, qint64 serial, const QString& suffix) const;

    QString folder_;
    QHash<QString, QString> current_; // by the bitmap's base name, the name last prepared
    qint64 lastSerial_ = 0;           // names carry the time they were made, always rising
};

} // namespace vlm
