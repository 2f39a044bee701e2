#pragma once

namespace vlm {

class ApplicationService;
class Form1;

// Lets the session bus service do what the window's own controls do: the tray menu's change
// and show items and the quit icon, and read the collection's place for the properties.
void connectRemoteControl(ApplicationService& service, Form1& form);

} // namespace vlm
