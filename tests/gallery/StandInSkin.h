#pragma once

#include <QString>

// Draws plain stand-in images for every skin file the widgets read (each also at twice the
// size, "@2x") into the folder, for a gallery run without the real skin.
void DrawStandInSkin(const QString& folder);
