// The compiled-in pictures: every one is there, at the size its control shows, and not blank
// (a picture missing from the resources renders as an empty image); on screens of a higher
// device-pixel ratio drawn in the screen's own pixels, not enlarged from the 1× picture.

#include <QIcon>
#include <QImage>
#include <QtMath>
#include <QtTest>
#include <cstdlib>

#include "ui/controlsUnit.h"
#include "ui/picturesUnit.h"

namespace {

// Pixels that are not fully transparent and not the background colour `background`.
int drawnPixels(const QPixmap& pixmap, QColor background) {
    const QImage image = pixmap.toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() != 0 && colour != background) ++drawn;
        }
    return drawn;
}

}  // namespace

class TestPictures : public QObject {
    Q_OBJECT

  private slots:
    void windowPictures_data();
    void windowPictures();
    void toolButtonImages();
    void toolButtonFiguresTakeTheTextColour_data();
    void toolButtonFiguresTakeTheTextColour();
    void sharpAtHigherRatios_data();
    void sharpAtHigherRatios();
    void lettersReadOnTheToolBar_data();
    void lettersReadOnTheToolBar();
};

void TestPictures::windowPictures_data() {
    QTest::addColumn<QPixmap>("picture");
    QTest::addColumn<QSize>("size");
    QTest::newRow("about box") << aboutPicture() << kAboutPictureSize;
    QTest::newRow("banner") << bannerPicture() << kBannerPictureSize;
}

void TestPictures::windowPictures() {
    QFETCH(QPixmap, picture);
    QFETCH(QSize, size);
    QCOMPARE(picture.size(), size);
    const QImage image = picture.toImage();
    for (const QPoint corner : {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1)})
        QCOMPARE(image.pixelColor(corner).alpha(), 255);
    QVERIFY(drawnPixels(picture, Qt::white) > size.width() * size.height() / 2);
}

void TestPictures::toolButtonImages() {
    const QList<QIcon> images = ::toolButtonImages();
    QCOMPARE(images.size(), kToolButtonImageCount);
    for (int index = 0; index < images.size(); ++index) {
        const QPixmap image = images[index].pixmap(kToolButtonImageSize, 1);
        QCOMPARE(image.size(), kToolButtonImageSize);
        QVERIFY2(drawnPixels(image, Qt::transparent) > 10,
                 qPrintable(QStringLiteral("image %1 is blank").arg(index)));
    }
}

void TestPictures::toolButtonFiguresTakeTheTextColour_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("hasFigures");
    QTest::newRow("the letters CLK") << 0 << true;
    QTest::newRow("8-bit encoding's 8") << 2 << true;
    QTest::newRow("8-bit decoding's 8") << 3 << true;
    QTest::newRow("32-bit encoding's 32") << 4 << true;
    QTest::newRow("32-bit decoding's 32") << 5 << true;
    QTest::newRow("MMX encoding, no figure") << 6 << false;
    QTest::newRow("the question mark keeps its white") << 13 << false;
}

// Drawn in the colour handed in (the tool buttons' text colour), the figures read on a dark
// palette as on a light one; the coloured letters and faces keep their own colours.
void TestPictures::toolButtonFiguresTakeTheTextColour() {
    QFETCH(int, index);
    QFETCH(bool, hasFigures);
    for (const QColor text : {QColor(0xF0, 0xF0, 0xF0), QColor(0x10, 0x10, 0x10)}) {
        const QImage image =
            ::toolButtonImages(1, text).at(index).pixmap(kToolButtonImageSize, 1).toImage();
        int inTextColour = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) inTextColour += image.pixelColor(x, y) == text;
        QVERIFY2((inTextColour >= 10) == hasFigures, qPrintable(QString::number(inTextColour)));
    }
}

void TestPictures::sharpAtHigherRatios_data() {
    QTest::addColumn<QString>("picture");
    QTest::addColumn<qreal>("ratio");
    for (const qreal ratio : {1.5, 2.0}) {
        const QByteArray scale = QByteArray::number(ratio);
        QTest::newRow("about box at " + scale) << "about" << ratio;
        QTest::newRow("banner at " + scale) << "banner" << ratio;
        QTest::newRow("tool button image at " + scale) << "tool button" << ratio;
    }
}

// At ratio r a picture has r times the pixels in each direction and shows at its usual size in
// the window's pixels; its pixels are its own: the 1× picture enlarged would blur its edges.
// The 1× tool-button image stays as it was beside the sharper one.
void TestPictures::sharpAtHigherRatios() {
    QFETCH(QString, picture);
    QFETCH(qreal, ratio);
    QPixmap sharp;
    QPixmap plain;
    QSize size;
    if (picture == QLatin1String("about")) {
        sharp = aboutPicture(ratio), plain = aboutPicture(), size = kAboutPictureSize;
    } else if (picture == QLatin1String("banner")) {
        sharp = bannerPicture(ratio), plain = bannerPicture(), size = kBannerPictureSize;
    } else {
        const QIcon image = ::toolButtonImages(ratio).at(13);
        sharp = image.pixmap(kToolButtonImageSize, ratio);
        plain = image.pixmap(kToolButtonImageSize, 1);
        QCOMPARE(plain.toImage(), ::toolButtonImages()
                                      .at(kToolButtonImageCount - 1)
                                      .pixmap(kToolButtonImageSize, 1)
                                      .toImage());
        size = kToolButtonImageSize;
    }
    QCOMPARE(sharp.devicePixelRatio(), ratio);
    QCOMPARE(sharp.size(), QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
    QCOMPARE(plain.size(), size);

    const QImage enlarged =
        plain.toImage().scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage own = sharp.toImage().convertToFormat(enlarged.format());
    int differing = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) {
            const QColor a = own.pixelColor(x, y);
            const QColor b = enlarged.pixelColor(x, y);
            differing += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                             std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha()) >
                         48;
        }
    QVERIFY2(differing > own.width() * own.height() / 100, qPrintable(QString::number(differing)));
}

// The green C and red D at 4.5:1 or better against the tool bar, light or dark: the pixel of
// the letter's own hue that contrasts most with the background.
void TestPictures::lettersReadOnTheToolBar_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("green");
    const QColor light(0xEF, 0xEF, 0xEF), dark(0x31, 0x36, 0x3B), black(Qt::black);
    QTest::newRow("encoding C, light") << 2 << light << true;
    QTest::newRow("decoding D, light") << 3 << light << false;
    QTest::newRow("encoding C, dark") << 2 << dark << true;
    QTest::newRow("decoding D, dark") << 3 << dark << false;
    QTest::newRow("decoding D, black") << 9 << black << false;
}

void TestPictures::lettersReadOnTheToolBar() {
    QFETCH(int, index);
    QFETCH(QColor, background);
    QFETCH(bool, green);
    const QImage image = ::toolButtonImages(1, Qt::gray, background)
                             .at(index)
                             .pixmap(kToolButtonImageSize, 1)
                             .toImage();
    double best = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int own = green ? pixel.green() : pixel.red();
            const int other = green ? pixel.red() : pixel.green();
            if (pixel.alpha() == 255 && own > other + 60)
                best = std::max(best, contrastRatio(pixel, background));
        }
    QVERIFY2(best >= 4.5, qPrintable(QString::number(best)));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
