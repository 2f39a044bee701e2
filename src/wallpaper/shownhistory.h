#pragma once

#include <QList>
#include <QStringList>
#include <optional>

namespace vlm {

// The pictures shown while the program runs, newest last, for stepping back: each change
// records what it showed (one path, or one a monitor where they differ). Stepping back walks
// towards the oldest; a change made after stepping back drops the pictures that had been stepped
// over, as a browser's history does, so "the one before" is always the one shown before.
class ShownHistory {
public:
    static constexpr qsizetype kLimit = 20;

    // A change showed these pictures: they become the newest, the oldest past the limit go.
    void record(const QStringList& pictures);
    // Steps back to the pictures shown before the current ones and returns them; nullopt at
    // the oldest. The step is taken at once, so quick steps asked for one after another go back
    // as many pictures, whenever each is shown.
    std::optional<QStringList> stepBack();

    // The pictures on the desktop now; nullopt before the first change.
    std::optional<QStringList> current() const {
        return current_ >= 0 ? std::optional(shown_[current_]) : std::nullopt;
    }

    qsizetype size() const { return shown_.size(); }

private:
    QList<QStringList> shown_;
    qsizetype current_ = -1; // the entry on the desktop
};

} // namespace vlm
