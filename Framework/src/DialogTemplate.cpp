#include "Framework/DialogTemplate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace fw {

namespace {

// Styles are written as hex text ("0x50010000") to read like the resource scripts.
std::uint32_t StyleValue(const QJsonValue& v) {
    if (v.isString())
        return v.toString().toUInt(nullptr, 0);
    return static_cast<std::uint32_t>(v.toDouble());
}

std::optional<QRect> RectValue(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    if (a.size() != 4)
        return std::nullopt;
    return QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
}

} // namespace

std::optional<DialogTemplate> DialogTemplate::Parse(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    DialogTemplate t;
    t.caption = o.value("caption").toString();
    t.style = StyleValue(o.value("style"));
    t.exStyle = StyleValue(o.value("exStyle"));
    const auto rect = RectValue(o.value("rect"));
    if (!rect)
        return std::nullopt;
    t.rect = *rect;
    const QJsonObject font = o.value("font").toObject();
    t.fontFace = font.value("face").toString(QStringLiteral("MS Shell Dlg"));
    t.fontPointSize = font.value("size").toInt(8);
    for (const QJsonValue& cv : o.value("controls").toArray()) {
        const QJsonObject c = cv.toObject();
        DialogControl control;
        control.id = c.value("id").toInt(-1);
        control.className = c.value("class").toString();
        control.text = c.value("text").toString();
        control.style = StyleValue(c.value("style"));
        control.exStyle = StyleValue(c.value("exStyle"));
        control.iconId = c.value("icon").toInt(0);
        const auto crect = RectValue(c.value("rect"));
        if (!crect || control.className.isEmpty())
            return std::nullopt;
        control.rect = *crect;
        t.controls.append(control);
    }
    return t;
}

} // namespace fw
