#include "app/controlbuilder.h"

#include "app/controltable.h"
#include "platform/picturesource.h"
#include "platform/ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>

namespace vlm {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

QFont controlFont(const QFont& windowFont, const ControlSpec& spec) {
    QFont font = windowFont;
    if (spec.fontPoints > 0)
        font.setPointSizeF(spec.fontPoints);
    font.setBold((spec.flags & kBold) != 0);
    return font;
}

void setTextColour(QWidget* widget, QRgb colour) {
    if (qAlpha(colour) == 0)
        return;
    // The disabled group keeps the style's colours, so a disabled link looks disabled.
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, QColor::fromRgb(colour));
    widget->setPalette(palette);
}

QWidget* createControl(const ControlSpec& spec, QWidget* parent) {
    switch (spec.kind) {
    case ControlKind::Label: {
        auto* label = new ClickableLabel(text(spec.caption), parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((spec.flags & kRightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignTop);
        return label;
    }
    case ControlKind::Image: {
        auto* image = new ImageBox(parent);
        image->setStretch((spec.flags & kStretch) != 0);
        image->setBorder((spec.flags & kBorder) != 0);
        if (*spec.caption)
            image->setPicture(shippedPicture(text(spec.caption)));
        return image;
    }
    case ControlKind::ListBox:
        // A plain list box holds its entries as strings (the collection's 32,767 paths cost no
        // item objects). A sorted one is kept in order by its owner (addSorted): Qt would sort
        // by code point, not alphabetically for the user's language.
        if (!(spec.flags & kSorted))
            return new EntryList(parent);
        [[fallthrough]];
    case ControlKind::FolderList: {
        auto* list = new QListWidget(parent);
        list->setUniformItemSizes(true);
        return list;
    }
    case ControlKind::FileList: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setUniformItemSizes(true);
        return list;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(text(spec.caption), parent);
        edit->setValidator(new MaxLengthValidator(3, edit));
        return edit;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(
            {QStringLiteral("sekund"), QStringLiteral("minut"), QStringLiteral("hodin")});
        setComboText(combo, text(spec.caption));
        // Only a pick from the list chooses an item. Typed text stays as typed: no completion,
        // and Enter or leaving the box does not turn a matching text into a choice.
        combo->setCompleter(nullptr);
        QObject::disconnect(combo->lineEdit(), &QLineEdit::returnPressed, combo, nullptr);
        QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
        return combo;
    }
    case ControlKind::DriveList:
        return new QComboBox(parent);
    case ControlKind::CheckBox: {
        auto* check = new QCheckBox(text(spec.caption), parent);
        check->setChecked((spec.flags & kChecked) != 0);
        return check;
    }
    case ControlKind::Frame: {
        auto* frame = new QGroupBox(text(spec.caption), parent);
        frame->setFlat(true);
        return frame;
    }
    case ControlKind::Panel: {
        auto* panel = new QFrame(parent);
        panel->setAutoFillBackground(true);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, QColor(255, 255, 192));
        panel->setPalette(palette);
        return panel;
    }
    case ControlKind::Line:
        return new LineControl(parent, QColor::fromRgb(spec.colour));
    }
    return nullptr;
}

} // namespace vlm
