// Layer korvex_ui: the windows; includes Qt and every layer.

#include "ui/picturesUnit.h"

#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QString>
#include <QSvgRenderer>
#include <QtMath>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "engine/testTableUnit.h"
#include "ui/controlsUnit.h"

namespace {

// File names under assets/toolbar, in image-list order: the two units, each test's own picture
// as the test table names it, then the system information and the about box.
std::vector<const char*> toolButtonImageFiles() {
    std::vector<const char*> files = {"00-cycles.svg", "01-milliseconds.svg"};
    for (const TestEntry& test : resultFileTests()) files.push_back(test.icon);
    files.insert(files.end(), {"12-system-info.svg", "13-about.svg"});
    return files;
}

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

// The drawing at `size` in the window's pixels, rendered with `devicePixelRatio` screen pixels
// to each of them (a fractional ratio rounds the pixel size up). Parts of the drawing filled
// with `currentColor` (the letters and figures of the tool-button images) take `textColour`.
QPixmap renderPicture(const QString& resourcePath, QSize size, const QColor& background,
                      qreal devicePixelRatio, const QColor& textColour = Qt::black,
                      const std::function<void(QByteArray&)>& adjust = {}) {
    registerPictureResources();
    QFile file(resourcePath);
    QByteArray drawing = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    drawing.replace("currentColor", textColour.name().toLatin1());
    if (adjust) adjust(drawing);
    const qreal ratio = std::max<qreal>(1, devicePixelRatio);
    QPixmap pixmap(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(background);
    QSvgRenderer renderer(drawing);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

// The fill colour of every text element of `drawing` made readable on `background`.
void makeLettersReadable(QByteArray& drawing, const QColor& background) {
    static const QRegularExpression letterFill(
        QStringLiteral("(<text[^>]*fill=\")(#[0-9a-fA-F]{6})\""));
    QString text = QString::fromUtf8(drawing);
    QString result;
    qsizetype copied = 0;
    for (QRegularExpressionMatchIterator match = letterFill.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        result += QStringView(text).mid(copied, found.capturedStart(2) - copied);
        result += readableColour(QColor(found.captured(2)), background).name();
        copied = found.capturedEnd(2);
    }
    result += QStringView(text).mid(copied);
    drawing = result.toUtf8();
}

}  // namespace

QPixmap aboutPicture(qreal devicePixelRatio) {
    return renderPicture(QStringLiteral(":/pictures/about.svg"), kAboutPictureSize, Qt::white,
                         devicePixelRatio);
}

QPixmap bannerPicture(qreal devicePixelRatio) {
    return renderPicture(QStringLiteral(":/pictures/banner.svg"), kBannerPictureSize, Qt::white,
                         devicePixelRatio);
}

QIcon programIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(renderPicture(QStringLiteral(":/pictures/korvex2.svg"), QSize(side, side),
                                     Qt::transparent, 1));
    return icon;
}

QList<QIcon> toolButtonImages(qreal devicePixelRatio, const QColor& textColour,
                              const QColor& background) {
    QList<QIcon> images;
    for (const char* file : toolButtonImageFiles()) {
        const QString path = QStringLiteral(":/pictures/toolbar/") + QLatin1String(file);
        const auto letters = [&background](QByteArray& drawing) {
            if (background.isValid()) makeLettersReadable(drawing, background);
        };
        QIcon image(
            renderPicture(path, kToolButtonImageSize, Qt::transparent, 1, textColour, letters));
        if (devicePixelRatio > 1)
            image.addPixmap(renderPicture(path, kToolButtonImageSize, Qt::transparent,
                                          devicePixelRatio, textColour, letters));
        images.append(image);
    }
    return images;
}
