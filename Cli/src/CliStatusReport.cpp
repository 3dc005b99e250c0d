#include "CliStatusReport.h"

#include "CliNames.h"
#include "CliOutput.h"

#include <QJsonArray>

namespace {

QString Hex(unsigned value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString YesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString Named(int value, const QString& name) {
    return name.isEmpty() ? QString::number(value) : QStringLiteral("%1 (%2)").arg(value).arg(name);
}

} // namespace

QString CliStatusReport::Text() const {
    QString text;
    text += QStringLiteral("connected: yes\n");
    text += QStringLiteral("version: %1 (shown as \"%2\")\n").arg(view_.version, view_.versionText);
    text +=
        QStringLiteral("swatch: %1\n").arg(Named(view_.swatch, CliNames::SwatchName(view_.swatch)));
    text += QStringLiteral("level: %1\n").arg(view_.level);
    text += QStringLiteral("mode index: %1\n")
                .arg(Named(view_.modeIndex, CliNames::ModeName(view_.modeIndex)));
    text += QStringLiteral("on: %1\n").arg(YesNo(view_.on));
    text += QStringLiteral("leds: %1\n").arg(model_.LedCount());
    for (int i = 0; i < model_.LedCount(); ++i) {
        const LedRecord* led = model_.LedRecordAt(i);
        text += QStringLiteral("  %1: red %2 green %3 blue %4 sequence %5 on %6\n")
                    .arg(i)
                    .arg(Hex(led->red, 2), Hex(led->green, 2), Hex(led->blue, 2))
                    .arg(led->sequence)
                    .arg(Hex(led->on, 2));
    }
    text += QStringLiteral("handles: %1\n").arg(model_.HandleCount());
    for (int h = 0; h < model_.HandleCount(); ++h) {
        const HandleRecord* handle = model_.HandleRecordAt(h);
        text +=
            QStringLiteral("  %1: mode %2 reference mode %3 reference id %4 speed %5 period %6 "
                           "direction %7 elements %8 enable %9\n")
                .arg(h)
                .arg(handle->mode)
                .arg(handle->referenceMode)
                .arg(Hex(handle->referenceId, 2), Hex(handle->Speed(), 4), Hex(handle->Period(), 4))
                .arg(handle->direction)
                .arg(Hex(handle->ElementMask(), 4), Hex(handle->enable, 2));
    }
    return text;
}

QJsonObject CliStatusReport::Json() const {
    QJsonArray leds;
    for (int i = 0; i < model_.LedCount(); ++i) {
        const LedRecord* led = model_.LedRecordAt(i);
        leds.append(QJsonObject{{"red", led->red},
                                {"green", led->green},
                                {"blue", led->blue},
                                {"sequence", led->sequence},
                                {"on", led->on}});
    }
    QJsonArray handles;
    for (int h = 0; h < model_.HandleCount(); ++h) {
        const HandleRecord* handle = model_.HandleRecordAt(h);
        handles.append(QJsonObject{{"mode", handle->mode},
                                   {"reference_mode", handle->referenceMode},
                                   {"reference_id", handle->referenceId},
                                   {"speed", handle->Speed()},
                                   {"period", handle->Period()},
                                   {"direction", handle->direction},
                                   {"element_mask", handle->ElementMask()},
                                   {"enable", handle->enable}});
    }
    return QJsonObject{{"connected", true},
                       {"version", view_.version},
                       {"version_label", view_.versionText},
                       {"swatch", view_.swatch},
                       {"level", static_cast<int>(view_.level)},
                       {"mode_index", view_.modeIndex},
                       {"on", view_.on},
                       {"colour_enabled", view_.colourEnabled},
                       {"brightness_enabled", view_.brightnessEnabled},
                       {"leds", leds},
                       {"handles", handles}};
}

void CliStatusReport::Print(bool json, bool dump) const {
    if (json) {
        QJsonObject object = Json();
        if (dump)
            object.insert("dump", QString::fromLatin1(model_.RecordDump()));
        OutJson(object);
    } else {
        Out(Text());
        if (dump)
            Out(QString::fromLatin1(model_.RecordDump()));
    }
}
