#pragma once

// Lets assistive technology see the skinned window as its user does (selected choices
// checked, the brightness level, only what is on show). Installed once per process; later
// calls do nothing.
void InstallSkinAccessibility();
