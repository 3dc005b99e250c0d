#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>

namespace fw {

// Window and control style bits the dialog builder understands.
enum : std::uint32_t {
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_SYSMENU = 0x00080000,
    WS_TABSTOP = 0x00010000,
    SS_CENTER = 0x00000001,
    SS_RIGHT = 0x00000002,
    SS_ICON = 0x00000003,
    SS_BLACKRECT = 0x00000004,
    SS_GRAYFRAME = 0x00000008,
    SS_BITMAP = 0x0000000E,
    SS_TYPEMASK = 0x0000001F,
    SS_CENTERIMAGE = 0x00000200,
    ES_MULTILINE = 0x00000004,
    ES_READONLY = 0x00000800,
    BS_DEFPUSHBUTTON = 0x00000001,
    DS_CENTER = 0x00000800,
    WS_EX_TRANSPARENT = 0x00000020,
};

struct DialogControl {
    int id = -1;
    QString className; // "BUTTON", "STATIC", "EDIT", "msctls_progress32", "MfcLink"
    QString text;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    QRect rect;     // dialog units
    int iconId = 0; // for SS_ICON statics
};

// A dialog resource: frame, font and controls, all measured in dialog units.
struct DialogTemplate {
    QString caption;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    QRect rect; // dialog units
    QString fontFace;
    int fontPointSize = 8;
    QVector<DialogControl> controls;

    // Templates are stored as JSON; nothing when the text is not a valid template.
    static std::optional<DialogTemplate> Parse(const QByteArray& json);
};

} // namespace fw
