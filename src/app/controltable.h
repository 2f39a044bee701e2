#pragma once

#include <QRgb>
#include <span>

namespace vlm {

enum class ControlKind {
    Label,
    ListBox,
    Image,
    TextBox,
    ComboBox,
    CheckBox,
    Frame,
    Panel,
    Line,
    DriveList,
    FolderList,
    FileList,
};

enum ControlFlag : unsigned {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kRightAligned = 1u << 2,
    kStretch = 1u << 3,
    kBorder = 1u << 4,
    kSorted = 1u << 5,
    kChecked = 1u << 6,
    kBold = 1u << 7,
    // A click runs a command: the control takes focus by Tab, runs with Enter or Space and
    // presents itself to screen readers as a link (labels) or a button (pictures).
    kCommand = 1u << 8,
};

inline constexpr QRgb kDefaultColour = 0x00000000; // alpha 0: the system colour

// One control of the window as designed: geometry in twips, relative to its container.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* parent; // nullptr: the window itself
    int left;
    int top;
    int width;
    int height;
    const char* caption; // UTF-8; for images the resource path of the artwork
    const char* tooltip;
    double fontPoints; // 0: the window font
    QRgb colour;       // text colour (kDefaultColour: the system's)
    unsigned flags;
    // What a screen reader calls a control without a caption of its own: the caption of the
    // control named in labelledBy (the label beside it), else spokenName, else the tooltip.
    const char* labelledBy = nullptr;
    const char* spokenName = nullptr;
};

std::span<const ControlSpec> form1Controls();

// The window's client area in twips.
inline constexpr int kForm1Width = 8040;
inline constexpr int kForm1Height = 7710;

} // namespace vlm
