#pragma once

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

    // Releases any pack held, then loads the one at path. False when it could not be loaded.
    bool Load(const QString& path);
    void Release();
    bool IsLoaded() const { return !path_.isEmpty(); }

    static QString Root() { return QStringLiteral(":/pack"); }

private:
    QString path_;
};

} // namespace fw
