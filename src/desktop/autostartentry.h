#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vlm {

// The name of the start-with-the-system entry (also the autostart file's base name).
inline constexpr char16_t kAutostartValueName[] = u"Velmora";

// The program that the entry starts: the executable's folder joined with the fixed name
// "vlm", whatever the running executable is called.
QString autostartCommandPath(const QString& executableFolder);

// ${XDG_CONFIG_HOME:-~/.config}/autostart (a relative XDG_CONFIG_HOME is ignored, as the
// XDG base directory rules require).
QString autostartFolder();

// Quotes one argument for an Exec line: arguments with reserved characters (or empty ones)
// go in double quotes with ", `, $ and \ escaped by a backslash; % is doubled everywhere.
// This is the Exec level only; desktopExecValue adds the string escaping of the file.
QString quoteDesktopExecArgument(const QString& argument);

// The Exec value as it stands in the file: the quoted arguments joined by blanks, then the
// general string escaping of desktop entry values (\\, \n, \t, \r).
QString desktopExecValue(const QStringList& arguments);

// Reads an Exec value as written in the file back into arguments, strictly: the string
// escapes are undone, then the quoting, then %% becomes %. A malformed value (unknown escape,
// unterminated quote, unquoted reserved character, other field codes) gives an empty list.
QStringList unquoteDesktopExec(const QString& value);

// The whole autostart file for the entry valueName. Empty data means off: the entry stays
// but is disabled (Hidden=true, X-GNOME-Autostart-enabled=false, empty Exec). Otherwise data
// is the program path, written as the one argument of Exec and as TryExec.
QByteArray autostartEntryContent(const QString& valueName, const QString& data);

// Records the start-with-the-system entry valueName with data (a program path, or empty for
// off), creating the autostart folder when needed. On Linux this is the XDG autostart file
// autostartFolder()/<valueName>.desktop written atomically. Off writes the disabled entry only
// over an entry of that name (the user's, or a system-wide one in $XDG_CONFIG_DIRS it must
// hide); where there is none, nothing starts the program already and no file is made. Returns false
// when the entry could not be written (the old entry then stays intact) or the name or data cannot
// be represented (an empty name, a name with a path separator or leading dot, NUL or broken
// UTF-16).
bool SetRunValue(const QString& valueName, const QString& data);

// Deletes the user's entry valueName. Where a system-wide entry of that name exists, the user's
// disabled entry must keep hiding it, so it is written as SetRunValue does for off. Returns false
// when the entry could not be deleted or written.
bool RemoveRunValue(const QString& valueName);

} // namespace vlm
