// glimra-gallery: writes a PNG of every widget in every state, at scale 1 and 2.
//
//   glimra-gallery OUT [--images DIR] [--stand-in]
//
// OUT/scale1 and OUT/scale2 receive one file per look and one contact sheet per page. The skin
// comes from DIR, by default the build's bin/image/; --stand-in (or a folder without the skin)
// uses plain images the gallery draws itself.

#include "Gallery.h"
#include "StandInSkin.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr char kChildFlag[] = "--scale-child";

int RunPages(const QString& out, QString images, bool standIn) {
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    if (!images.endsWith(QLatin1Char('/')))
        images += QLatin1Char('/');
    const bool real = !standIn && QFileInfo::exists(images + QStringLiteral("MODE.png"));
    if (!real) {
        images = scratch.filePath(QStringLiteral("image/"));
        DrawStandInSkin(images);
    }
    Gallery gallery(out, images, scratch.path() + QLatin1Char('/'));
    gallery.SetRealSkin(real);
    return gallery.RunAll();
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("GLIMRA_AUTO_DISMISS", "1");
    QApplication app(argc, argv);

    QStringList args = app.arguments().mid(1);
    const bool child = args.removeAll(QString::fromLatin1(kChildFlag)) > 0;
    const bool standIn = args.removeAll(QStringLiteral("--stand-in")) > 0;
    QString images = QStringLiteral(GLIMRA_BIN_DIR "/image");
    if (const qsizetype i = args.indexOf(QStringLiteral("--images"));
        i >= 0 && i + 1 < args.size()) {
        images = args[i + 1];
        args.remove(i, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: glimra-gallery OUT [--images DIR] [--stand-in]\n");
        return 2;
    }
    const QString out = QDir(args[0]).absolutePath();

    if (child)
        return RunPages(out + QStringLiteral("/scale2"), images, standIn);

    int failures = RunPages(out + QStringLiteral("/scale1"), images, standIn);
    // Scale 2 needs a fresh application: the scale factor is read when it starts.
    QProcess dense;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    dense.setProcessEnvironment(env);
    dense.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList childArgs{args[0], QString::fromLatin1(kChildFlag), QStringLiteral("--images"),
                          images};
    if (standIn)
        childArgs << QStringLiteral("--stand-in");
    dense.start(QCoreApplication::applicationFilePath(), childArgs);
    if (!dense.waitForFinished(300000) || dense.exitStatus() != QProcess::NormalExit)
        ++failures;
    else
        failures += dense.exitCode();
    std::printf("gallery written to %s (%d failed pages)\n", qPrintable(out), failures);
    return failures == 0 ? 0 : 1;
}
