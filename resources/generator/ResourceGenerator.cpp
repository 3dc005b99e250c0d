// Draws the program's pictures, so the repository keeps their source rather than opaque
// images. Three jobs:
//   glimra-resgen <language> <folder>  a resource set's bitmaps 1000 and 1043 to 1051 and icon
//                                      128, under <folder>/bitmap and <folder>/icon
//   glimra-resgen --skin <folder>      the skin images of the program's image folder
//   glimra-resgen --icons <folder>     the desktop icon at each size of the icon theme, as
//                                      <folder>/<N>x<N>/apps/glimra-utility.png
// The first two also write every picture at twice the size, as "<name>@2x.png".
#include "SkinArt.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

bool WriteResourceSet(const QString& language, const QString& out) {
    bool ok = skin::SaveBoth(out + "/bitmap/1000.png", QSize(800, 455),
                             [&](QPainter& p) { skin::PaintBackground(p, language); });
    for (int lit = 0; lit <= 8; ++lit)
        ok = skin::SaveBoth(out + QStringLiteral("/bitmap/%1.png").arg(1043 + lit), QSize(17, 186),
                            [lit](QPainter& p) { skin::PaintBrightness(p, lit); }) &&
             ok;
    ok = skin::SaveBoth(out + "/icon/128.png", QSize(64, 64),
                        [](QPainter& p) { skin::PaintIcon(p, 64); }) &&
         ok;
    return ok;
}

// The sizes the desktop's icon theme looks in, from panel and menu to software centre.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool WriteIcons(const QString& out) {
    bool ok = true;
    for (int size : kIconSizes)
        ok = skin::SaveOne(out + QStringLiteral("/%1x%1/apps/glimra-utility.png").arg(size),
                           QSize(size, size), [size](QPainter& p) { skin::PaintIcon(p, size); }) &&
             ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: glimra-resgen <language> <folder>\n"
                             "       glimra-resgen --skin <folder>\n"
                             "       glimra-resgen --icons <folder>\n");
        return 2;
    }
    skin::LoadFonts();
    const QString what = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    bool ok = false;
    if (what == QLatin1String("--skin"))
        ok = skin::WriteButtons(out) && skin::WritePlate(out);
    else if (what == QLatin1String("--icons"))
        ok = WriteIcons(out);
    else
        ok = WriteResourceSet(what, out);
    return ok ? 0 : 1;
}
