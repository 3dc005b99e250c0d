#pragma once

#include <QImage>
#include <QString>
#include <QVector>

class QWidget;

// The widget gallery: pages draw widgets in each of their states and save every look as a PNG.
// A page is a function registered from its own file with GLIMRA_GALLERY_PAGE, so new pages need
// no edit elsewhere. The program runs every page at scale 1 and again, in a child process with
// QT_SCALE_FACTOR=2, at scale 2.
class Gallery {
public:
    Gallery(QString outDir, QString imageDir, QString scratchDir);

    // The screen's device pixel ratio the looks are drawn at.
    qreal Scale() const;
    // The skin images' folder (ending in '/'): the program's image/ when it has been drawn,
    // otherwise stand-in images the gallery drew into a scratch folder.
    const QString& ImageDir() const { return imageDir_; }
    bool RealSkin() const { return realSkin_; }
    void SetRealSkin(bool real) { realSkin_ = real; }
    // A scratch folder for the page's own files (ending in '/').
    const QString& ScratchDir() const { return scratchDir_; }

    // Shows a top-level widget and waits until it can be drawn; false when it never was.
    bool Show(QWidget* window);
    // Saves the widget's look (itself and its children, at the screen's ratio) as
    // "<page>-<name>.png"; the page's looks also go on one contact sheet "<page>.png".
    void Shot(const QString& name, QWidget* widget);
    void Shot(const QString& name, const QImage& image);

    // Pointer helpers for the looks that need one: hover (the pointer enters from outside and
    // rests), press and release at the widget's centre.
    void Hover(QWidget* widget);
    void Leave(QWidget* widget);
    void Press(QWidget* widget);
    void Release(QWidget* widget);

    // Runs every registered page; the number of pages that failed (a page fails when it calls
    // Fail or saves nothing).
    int RunAll();
    void Fail(const QString& why);

private:
    void BeginPage(const QString& name);
    bool EndPage();

    QString outDir_;
    QString imageDir_;
    QString scratchDir_;
    bool realSkin_ = false;
    QString page_;
    bool failed_ = false;
    QVector<QPair<QString, QImage>> shots_;
};

using GalleryPageFunction = void (*)(Gallery&);
// Adds a page; pages run in the order of their names.
bool RegisterGalleryPage(const char* name, GalleryPageFunction page);

#define GLIMRA_GALLERY_PAGE(name)                                                                  \
    static void GalleryPage_##name(Gallery& gallery);                                              \
    [[maybe_unused]] static const bool galleryPageRegistered_##name =                              \
        RegisterGalleryPage(#name, &GalleryPage_##name);                                           \
    static void GalleryPage_##name(Gallery& gallery)
