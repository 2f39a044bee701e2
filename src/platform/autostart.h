#pragma once

#include <QString>

namespace vlm {

// The start-with-the-session entry: one named value whose data is the command to run; the
// empty text turns it off while keeping the entry.
class AutostartStore {
public:
    virtual ~AutostartStore() = default;
    // Returns false when the entry could not be written; nothing is shown to the user.
    virtual bool SetRunValue(const QString& valueName, const QString& data) = 0;
    // Removes the entry for good (the uninstall); false when it stays.
    virtual bool RemoveRunValue(const QString& valueName) = 0;
};

} // namespace vlm
