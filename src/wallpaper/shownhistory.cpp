#include "wallpaper/shownhistory.h"

namespace vlm {

void ShownHistory::record(const QStringList& pictures) {
    shown_.resize(current_ + 1);
    shown_.append(pictures);
    if (shown_.size() > kLimit)
        shown_.remove(0, shown_.size() - kLimit);
    current_ = shown_.size() - 1;
}

std::optional<QStringList> ShownHistory::stepBack() {
    if (current_ <= 0)
        return std::nullopt;
    return shown_[--current_];
}

} // namespace vlm
