#include "FirmwareUpdateCommand.h"

#include "Framework/Dialog.h"

void RunFirmwareUpdateCommand(fw::Dialog*, CommManager*) {
    // The dialog comes next; until then the command does nothing.
}

void SetFirmwareFileChooser(FirmwareFileChooser) {}
