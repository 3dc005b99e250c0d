#pragma once

#include <QString>

#include <functional>

class CommManager;
class QWidget;

namespace fw {
class Dialog;
}

// The main window's Firmware Update command: asks for an image file, refuses one that can't be
// an image, warns, then runs the firmware dialog on the main window's connection. Returns once
// the dialog has closed and its worker has ended.
void RunFirmwareUpdateCommand(fw::Dialog* mainWindow, CommManager* manager);

// Tests answer the file dialog instead of a user: the chooser gets the owner and the title and
// returns the chosen path, empty for Cancel. An empty function restores the real dialog. (A
// run with GLIMRA_AUTO_DISMISS set shows no file dialog either: the first one answers with
// $GLIMRA_FIRMWARE_FILE, any further one with Cancel.)
using FirmwareFileChooser = std::function<QString(QWidget* owner, const QString& title)>;
void SetFirmwareFileChooser(FirmwareFileChooser chooser);
