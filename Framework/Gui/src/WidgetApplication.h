#pragma once

namespace fw {

// Makes the core's application a widget application: App::Run creates a QApplication, a quit
// signal ends the modal dialogs first, and message boxes are shown. Returns true; called once
// while the dialog code is initialised, so every program with dialogs has it.
bool InstallWidgetApplication();

} // namespace fw
