#pragma once

#include <QFont>
#include <QRgb>

class QWidget;

namespace vlm {

struct ControlSpec;

// The widget of one row of the control table, without geometry, font or texts beyond its caption.
QWidget* createControl(const ControlSpec& spec, QWidget* parent);
// The window's font with the row's size and weight.
QFont controlFont(const QFont& windowFont, const ControlSpec& spec);
// The row's text colour; the system's colour where the row has none.
void setTextColour(QWidget* widget, QRgb colour);

} // namespace vlm
