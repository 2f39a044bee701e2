#include "platform/ui/qtfiledialogs.h"

#include <QFileDialog>

namespace vlm {

std::optional<QString> QtFileDialogs::open(const FileDialogRequest& request) {
    return run(request, false);
}

std::optional<QString> QtFileDialogs::save(const FileDialogRequest& request) {
    return run(request, true);
}

std::optional<QString> QtFileDialogs::run(const FileDialogRequest& request, bool forSaving) {
    QFileDialog dialog(parent_, request.title, request.initialFolder, qtNameFilter(request.filter));
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving || !(request.flags & kFileMustExist) ? QFileDialog::AnyFile
                                                                      : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // The collection dialogs replace an existing file without asking.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, forSaving);
    dialog.setOption(QFileDialog::ReadOnly, (request.flags & kHideReadOnly) == 0 && !forSaving);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace vlm
