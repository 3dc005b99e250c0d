#include "CliNames.h"

#include <QStringList>

namespace {

// In swatch order, as the colour plate numbers them.
const QStringList& Swatches() {
    static const QStringList names = {"red",   "white",  "cyan",   "blue",
                                      "green", "yellow", "orange", "purple"};
    return names;
}

// In mode-index order, as the mode group places the buttons.
const QStringList& Modes() {
    static const QStringList names = {"static",  "strobe",       "breath",
                                      "gradual", "static-cycle", "breath-cycle"};
    return names;
}

// A plain decimal number in [low, high], else -1.
int Number(const QString& word, int low, int high) {
    bool ok = false;
    const int value = word.toInt(&ok, 10);
    if (!ok || word.isEmpty() || !word.at(0).isDigit() || value < low || value > high)
        return -1;
    return value;
}

} // namespace

QString CliNames::SwatchName(int swatch) {
    return swatch >= 1 && swatch <= Swatches().size() ? Swatches().at(swatch - 1) : QString();
}

QString CliNames::ModeName(int modeIndex) {
    return modeIndex >= 0 && modeIndex < Modes().size() ? Modes().at(modeIndex) : QString();
}

int CliNames::SwatchFromWord(const QString& word) {
    const qsizetype named = Swatches().indexOf(word.toLower());
    if (named >= 0)
        return static_cast<int>(named) + 1;
    const int number = Number(word, 1, static_cast<int>(Swatches().size()));
    return number > 0 ? number : 0;
}

int CliNames::ModeFromWord(const QString& word) {
    const qsizetype named = Modes().indexOf(word.toLower());
    if (named >= 0)
        return static_cast<int>(named);
    return Number(word, 0, static_cast<int>(Modes().size()) - 1);
}

unsigned CliNames::LevelFromWord(const QString& word) {
    const int number = Number(word, 1, 8);
    return number > 0 ? static_cast<unsigned>(number) : 0;
}
