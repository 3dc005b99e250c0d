#pragma once

#include "CliRequest.h"
#include "Control/LightingView.h"

// What glimractl says when the controls a command needs are off in the current mode, or when a
// brightness step is already at its end: the same words whether the tool acts on the controller
// itself or through the desktop program's window.
namespace CliRefusal {

// True (and the refusal on stderr) when the view does not allow the command now.
bool Refused(CliRequest::Command command, const LightingView& view);

// The note for a brightness step that sent nothing because the level is at its end.
void ReportBrightnessAtLimit(unsigned level, bool up);

} // namespace CliRefusal
