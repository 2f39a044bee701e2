#pragma once

#include <QString>

namespace vlm {

// GNOME, Plasma and their relatives ignore a wallpaper setting that names the path they already
// show, and the program always writes the same "vlmimage.bmp". So each change hands the desktop
// a fresh name in a private folder: a hard link to the bitmap (a copy when the folder is on
// another file system), alternating between two names. Once the desktop took the new name the
// other is deleted, so at most two names exist and nothing piles up; the bitmap itself keeps
// its name and place.
class AlternatingPath {
public:
    explicit AlternatingPath(QString folder);

    // Makes the unused name refer to the bitmap's current content and returns its absolute
    // path, or an empty string (with a reason in error) when that fails.
    QString prepare(const QString& bitmapPath, QString* error = nullptr);
    // Deletes the name before the one prepare() returned last.
    void dropPrevious();

    // ${XDG_DATA_HOME:-$HOME/.local/share}/vlm/wallpaper: kept across log-outs, unlike a cache.
    static QString defaultFolder(const QString& xdgDataHome, const QString& home);
    // Deletes every name this class makes in folder, then the folder when that empties it.
    static void removeAll(const QString& folder);

private:
    QString nameFor(int slot, const QString& suffix) const;

    QString folder_;
    int current_ = -1; // slot of the name last prepared; -1 = unknown (fresh start)
    QString currentSuffix_;
};

} // namespace vlm
