#pragma once

#include <QLabel>

// The main window's brightness picture: the column of dots of the level shown. It keeps that
// level for assistive technology, which reads it as a value from 0 to 8.
class CBrightnessPicture : public QLabel {
    Q_OBJECT
public:
    static constexpr int MaxLevel = 8;

    explicit CBrightnessPicture(QWidget* parent = nullptr);

    // The level the picture shows, 0 for none lit.
    void SetLevel(int level);
    int Level() const { return level_; }

private:
    int level_ = MaxLevel;
};
