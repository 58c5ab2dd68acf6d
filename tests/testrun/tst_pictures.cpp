// The compiled-in pictures: every one is there, at the size its control shows, and not blank
// (a picture missing from the resources renders as an empty image).

#include <QImage>
#include <QtTest>

#include "testrun/picturesUnit.h"

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
    const QList<QPixmap> images = ::toolButtonImages();
    QCOMPARE(images.size(), kToolButtonImageCount);
    for (int index = 0; index < images.size(); ++index) {
        QCOMPARE(images[index].size(), kToolButtonImageSize);
        QVERIFY2(drawnPixels(images[index], Qt::transparent) > 10,
                 qPrintable(QStringLiteral("image %1 is blank").arg(index)));
    }
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
