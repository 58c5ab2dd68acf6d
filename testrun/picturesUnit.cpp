#include "testrun/picturesUnit.h"

#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <array>

namespace {

// File names under assets/toolbar, in image-list order.
constexpr std::array<const char*, kToolButtonImageCount> kToolButtonImageFiles = {
    "00-cycles.svg",       "01-milliseconds.svg", "02-ham8-encode.svg",   "03-ham8-decode.svg",
    "04-ham32-encode.svg", "05-ham32-decode.svg", "06-mmx-encode.svg",    "07-mmx-decode.svg",
    "08-sse-encode.svg",   "09-sse2-decode.svg",  "10-fpu-transform.svg", "11-sse2-transform.svg",
    "12-system-info.svg",  "13-about.svg",
};

}  // namespace

// The resources live in a static library, whose registration object the linker would drop
// unless something refers to it; this does, and every picture passes through here.
static void registerPictureResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(korvex2);
        return true;
    }();
    (void)registered;
}

namespace {

QPixmap renderPicture(const QString& resourcePath, QSize size, const QColor& background) {
    registerPictureResources();
    QPixmap pixmap(size);
    pixmap.fill(background);
    QSvgRenderer renderer(resourcePath);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

}  // namespace

QPixmap aboutPicture() {
    return renderPicture(QStringLiteral(":/pictures/about.svg"), kAboutPictureSize, Qt::white);
}

QPixmap bannerPicture() {
    return renderPicture(QStringLiteral(":/pictures/banner.svg"), kBannerPictureSize, Qt::white);
}

QList<QPixmap> toolButtonImages() {
    QList<QPixmap> images;
    for (const char* file : kToolButtonImageFiles)
        images.append(renderPicture(QStringLiteral(":/pictures/toolbar/") + QLatin1String(file),
                                    kToolButtonImageSize, Qt::transparent));
    return images;
}
