#pragma once

#include <QString>

// The words glimractl accepts and prints for swatches (1-8) and modes (0-5).
class CliNames {
public:
    // Empty for an index without a name.
    static QString SwatchName(int swatch);
    static QString ModeName(int modeIndex);

    // A name (any case) or the number itself; 0 / -1 when the word is neither.
    static int SwatchFromWord(const QString& word);
    static int ModeFromWord(const QString& word);
    // 1-8, or 0.
    static unsigned LevelFromWord(const QString& word);
};
