#pragma once

#include <QString>
#include <QStringList>

namespace vlm {

// Where the program is and what it was started with.
struct ProgramFacts {
    QString executableFolder; // folder of the running executable, without a trailing separator
    QString writableFolder;   // where vlmimage.bmp and favpath.inf go (see detectProgramFacts)
    QString installedDataFolder;
    // The command line was the uninstall switch. Decided once, from the arguments as given:
    // Qt takes its own options out of the list it keeps.
    bool uninstallRequested = false;
    int versionMajor = 0;
    int versionMinor = 0;
    int versionRevision = 0;

    // The placeholder picture: beside the executable, else in the installed data folder.
    QString placeholderPicturePath() const;
    QString wallpaperBitmapPath() const; // writable folder + "/vlmimage.bmp"
    QString favouritesFilePath() const;  // writable folder + "/favpath.inf"
};

// True when the executable belongs to an installed tree rather than a portable copy or a build
// tree: it sits in the configured bin folder, or the installed data folder lies at the
// configured place relative to it (any prefix, also a package unpacked somewhere else).
bool isInstalledCopy(const QString& executableFolder);

// The data folder of the installed tree that holds the executable (bin/../share/vlm for any
// prefix), else the folder the build was configured to install into.
QString findInstalledDataFolder(const QString& executableFolder);

// The executable's folder when the user may write there and it is not an installed copy (a
// portable copy or a build tree), otherwise ${XDG_DATA_HOME:-~/.local/share}/vlm, created on
// demand. An installed program never writes into its prefix, not even when run by root.
QString chooseWritableFolder(const QString& executableFolder);

// Reads the facts of the running program (QCoreApplication must exist).
ProgramFacts detectProgramFacts(bool uninstallRequested);

} // namespace vlm
