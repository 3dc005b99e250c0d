#include "CliRefusal.h"

#include "CliNames.h"
#include "CliOutput.h"

namespace {

QString ModeText(int modeIndex) {
    const QString name = CliNames::ModeName(modeIndex);
    return name.isEmpty() ? QStringLiteral("mode index %1").arg(modeIndex)
                          : QStringLiteral("mode %1 (%2)").arg(name).arg(modeIndex);
}

} // namespace

namespace CliRefusal {

bool Refused(CliRequest::Command command, const LightingView& view) {
    using Command = CliRequest::Command;
    switch (command) {
    case Command::Color:
        if (view.colourEnabled)
            return false;
        Err(QStringLiteral("glimractl: refused: the colour cannot be chosen in %1\n")
                .arg(ModeText(view.modeIndex)));
        return true;
    case Command::Up:
    case Command::Down:
    case Command::Brightness:
        if (view.brightnessEnabled)
            return false;
        Err(QStringLiteral("glimractl: refused: the brightness cannot be changed in %1\n")
                .arg(ModeText(view.modeIndex)));
        return true;
    default:
        return false;
    }
}

void ReportBrightnessAtLimit(unsigned level, bool up) {
    Err(QStringLiteral("glimractl: the brightness is already at level %1, its %2; "
                       "nothing was sent\n")
            .arg(level)
            .arg(up ? "highest" : "lowest"));
}

} // namespace CliRefusal
