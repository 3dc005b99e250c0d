// The image lookups of fw::Resources: decoding needs Qt GUI, so they live in the window layer.
#include "Framework/Resources.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace fw {

QImage Resources::LoadBitmap(unsigned id) {
    QImage image;
    image.loadFromData(LoadFile(QStringLiteral("bitmap/%1.png").arg(id)), "PNG");
    return image;
}

QIcon Resources::LoadIcon(unsigned id) {
    QImage image;
    if (!image.loadFromData(LoadFile(QStringLiteral("icon/%1.png").arg(id)), "PNG"))
        return {};
    return QIcon(QPixmap::fromImage(image));
}

} // namespace fw
