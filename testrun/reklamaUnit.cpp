// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/reklamaUnit.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QScreen>
#include <QUrl>

#include "console/contactUnit.h"
#include "ui/controlsUnit.h"
#include "ui/picturesUnit.h"

QPoint bannerPosition(const QRect& screen) {
    return {
        screen.left() + screen.width() - TrekForm::kClientSize.width() - TrekForm::kScreenMargin,
        screen.top() + TrekForm::kScreenMargin};
}

TrekForm::TrekForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("rekForm"));
    useProgramAccessibleRoles();
    // The banner must not take the keyboard from the main window that shows it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    Panel1 = placeControl(new BevelPanel(Bevel::Raised, Bevel::None, this), "Panel1",
                          {{0, 0}, kClientSize});
    Image1 = placeControl(new ClickableLabel(Panel1), "Image1", {{1, 1}, kBannerPictureSize});
    Image1->setPixmap(bannerPicture(devicePixelRatioF()));
    // A picture to the eye; to assistive technology the product and the page a click opens.
    Image1->setAccessibleName(QLatin1String(kProductTitle));
    Image1->setAccessibleDescription(QLatin1String(kProjectWebPage));
    Image1->setCursor(Qt::PointingHandCursor);

    connect(Image1, &ClickableLabel::clicked, this, &TrekForm::Image1Click);

    setFixedSize(kClientSize);
    // Never seen on a title bar; window lists name the banner after the product.
    setWindowTitle(QLatin1String(kProductTitle));
}

void TrekForm::FormShow() { move(bannerPosition(screen()->geometry())); }

// Without a web browser the page opens nowhere, and nothing is said about it.
void TrekForm::Image1Click() { QDesktopServices::openUrl(QUrl(QLatin1String(kProjectWebPage))); }

void TrekForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TrekForm::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}
