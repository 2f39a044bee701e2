#pragma once

#include "platform/filedialogs.h"

class QWidget;

namespace vlm {

class QtFileDialogs final : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    // The window the dialogs are modal to (not a QObject parent: this is no QObject).
    void setDialogParent(QWidget* parent) { parent_ = parent; }
    std::optional<QString> open(const FileDialogRequest& request) override;
    std::optional<QString> save(const FileDialogRequest& request) override;

private:
    std::optional<QString> run(const FileDialogRequest& request, bool forSaving);
    QWidget* parent_;
};

} // namespace vlm
