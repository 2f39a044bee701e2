#pragma once

#include <QByteArrayView>
#include <QList>
#include <QSize>
#include <QString>

namespace vlm {

// A GNOME background file: a small XML document, root element <background>, that names the
// picture to show, one per screen size or as a slideshow. Desktops ship them as wallpapers
// (Debian's default one is such a file), so a collection may hold them.

// The most of such a file that is read; real ones are a few kilobytes.
inline constexpr qsizetype kGnomeBackgroundMaxBytes = 1024 * 1024;
// How many leading bytes isGnomeBackground needs: the root element follows at most a
// declaration, a document type and comments.
inline constexpr qsizetype kGnomeBackgroundSniffBytes = 4096;

// Whether head (the start of a file) is a GNOME background file: its root element is
// <background>. Tells by content, so any XML file may be one and most are not.
bool isGnomeBackground(QByteArrayView head);

struct GnomeBackgroundChoice {
    QString picture; // an absolute, clean path; empty when there is none
    QString problem; // why there is none, in a line for the log
};

// The picture a GNOME background file shows on monitors of these sizes. Of a list of sizes,
// the smallest that covers every monitor, else the largest; of a slideshow, its first picture.
// Relative names are taken from folder (the file's own). A file that names itself has none.
GnomeBackgroundChoice chooseGnomeBackgroundPicture(QByteArrayView xml, const QString& filePath,
                                                   const QList<QSize>& monitors);

} // namespace vlm
