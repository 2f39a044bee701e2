#pragma once

#include <QObject>

class QCheckBox;

namespace vlm {

class Form1;
struct Services;

// The three option boxes: each stores its state when it changes; the first also turns the
// start-with-the-session entry on or off.
class Options : public QObject {
    Q_OBJECT
public:
    explicit Options(Form1& form);

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Command1_Click(); // autostart on
    void Command2_Click(); // autostart off

    // Restores the boxes from the stored options; a box whose state changes runs its click
    // handling, an absent or malformed value leaves the box as it is.
    void restore();
    // Applies the autostart choice again, whatever restore() did.
    void applyAutostart();

private:
    void store(const char* key, const QCheckBox* box);

    Services& services_;
    QCheckBox* check1_;
    QCheckBox* check2_;
    QCheckBox* check3_;
};

} // namespace vlm
