#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

// The controllers present now: every HID interface with the controller's ids, as the link
// would find them, whether or not this user may open them.
class CliDeviceList {
public:
    struct Entry {
        QString path;
        QString serial;
    };

    static CliDeviceList Scan();

    bool Empty() const { return entries_.empty(); }
    QString Text() const;
    QJsonObject Json() const;

private:
    std::vector<Entry> entries_;
};
