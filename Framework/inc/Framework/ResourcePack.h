#pragma once

#include <QByteArray>
#include <QString>

namespace fw {

// A language pack: a resource-only file loaded and released at run time.
// While loaded, Resources can be pointed at Root().
class ResourcePack {
public:
    ResourcePack() = default;
    ~ResourcePack();
    ResourcePack(const ResourcePack&) = delete;
    ResourcePack& operator=(const ResourcePack&) = delete;

    // Releases any pack held, then loads the one at path: a regular file, checked whole
    // before it is registered. False when it could not be loaded; a pack that is there but
    // damaged (or no regular file) also gets one line on stderr naming it.
    bool Load(const QString& path);
    void Release();
    bool IsLoaded() const { return !path_.isEmpty(); }

    static QString Root() { return QStringLiteral(":/pack"); }

private:
    QString path_;
    QByteArray data_; // the registered pack; Qt reads it in place
};

} // namespace fw
