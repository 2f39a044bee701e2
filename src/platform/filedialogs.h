#pragma once

#include <QString>
#include <optional>

namespace vlm {

// Classic common-dialog flags that the collection dialogs use.
enum FileDialogFlag : int {
    kHideReadOnly = 4,
    kFileMustExist = 4096,
};

struct FileDialogRequest {
    QString initialFolder;
    QString title;
    QString filter; // "Name (*.ext)|*.ext|" pairs
    int flags = 0;
    QString defaultSuffix; // appended by the save dialog to a name typed without one
};

// Returns the chosen full path, or nullopt when the user cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<QString> open(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> save(const FileDialogRequest& request) = 0;
};

// Turns "Kolekce (*.vlk)|*.vlk|" into Qt's "Kolekce (*.vlk)" name filters.
QString qtNameFilter(const QString& classicFilter);

} // namespace vlm
