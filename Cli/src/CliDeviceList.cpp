#include "CliDeviceList.h"

#include "CliConnection.h"
#include "Framework/Hid/HidAccess.h"

#include <QJsonArray>

CliDeviceList CliDeviceList::Scan() {
    CliDeviceList list;
    for (const fw::HidInterfaceInfo& info : fw::HidEnumerateInterfaces()) {
        if (info.vendorId == CliConnection::VendorId && info.productId == CliConnection::ProductId)
            list.entries_.push_back(
                {QString::fromStdWString(info.path), QString::fromStdWString(info.serial)});
    }
    return list;
}

QString CliDeviceList::Text() const {
    QString text;
    for (const Entry& entry : entries_)
        text += entry.path + QLatin1Char('\t') + entry.serial + QLatin1Char('\n');
    return text;
}

QJsonObject CliDeviceList::Json() const {
    QJsonArray devices;
    for (const Entry& entry : entries_)
        devices.append(QJsonObject{{"path", entry.path}, {"serial", entry.serial}});
    return QJsonObject{{"devices", devices}};
}
