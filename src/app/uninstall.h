#pragma once

namespace vlm {

class AutostartStore;
class MessageBox;
class SettingsStore;
struct ProgramFacts;

// The uninstall mode: clears the autostart entry, deletes the wallpaper bitmap (and the
// copies some desktops were given) and every option, then says so in one message whatever
// succeeded. Needs no window, so it also runs where there is no display (the message then goes to
// standard output).
void runUninstall(AutostartStore& autostart, SettingsStore& settings, const ProgramFacts& facts,
                  MessageBox& messages);

} // namespace vlm
