#pragma once

#include "platform/messagebox.h"

class QWidget;

namespace vlm {

// QMessageBox with the classic styles; CR line breaks are shown as line breaks and the text is
// always plain (never rich text), so whatever a server sends is shown as it is.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    // The window the boxes are modal to (not a QObject parent: this is no QObject).
    void setDialogParent(QWidget* parent) { parent_ = parent; }
    int show(const QString& prompt, int style, const QString& title) override;

private:
    QWidget* parent_;
};

} // namespace vlm
