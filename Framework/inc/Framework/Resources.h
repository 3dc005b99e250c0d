#pragma once

#include "Framework/DialogTemplate.h"

#include <QByteArray>
#include <QString>
// The image lookups belong to the window layer; code built with Qt GUI gets their types here.
#if __has_include(<QImage>)
#include <QIcon>
#include <QImage>
#else
class QIcon;
class QImage;
#endif

#include <optional>

namespace fw {

// The current resource source: the program's own resources, or a loaded language pack.
// Resources are looked up by id under the source's root:
//   strings.json (id -> text), dialog/<id>.json, bitmap/<id>.png, icon/<id>.png, <TYPE>/<id>.
class Resources {
public:
    // Root of the resources compiled into the program.
    static QString ProgramRoot();

    // Serve later lookups from root (a Qt resource path such as ":/pack"); an empty root
    // goes back to the program's own resources.
    static void SetSource(const QString& root);
    static QString Source();

    static QString LoadString(unsigned id); // empty when missing
    static std::optional<DialogTemplate> LoadDialog(unsigned id);
    static QByteArray LoadRaw(const QString& type, unsigned id); // empty when missing
    static QByteArray LoadFile(const QString& relative);         // empty when missing

    // Decoded images: defined in the window layer (glimra_framework_gui).
    static QImage LoadBitmap(unsigned id); // null when missing
    static QIcon LoadIcon(unsigned id);    // null when missing
};

} // namespace fw
