// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/boutUnit.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrlQuery>
#include <algorithm>

#include "console/contactUnit.h"
#include "console/versionUnit.h"
#include "ui/controlsUnit.h"
#include "ui/picturesUnit.h"

namespace {

constexpr int kProductNamePixelSize = 16;
constexpr int kCommentsWidth = 157;
constexpr int kCommentsLineHeight = 13;

QFont productNameFont() {
    QFont font(QStringLiteral("Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(kProductNamePixelSize);
    font.setBold(true);
    return font;
}

}  // namespace

QUrl contactMailLink() {
    QUrl link;
    link.setScheme(QStringLiteral("mailto"));
    link.setPath(QLatin1String(kContactMailAddress));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QLatin1String(kProductTitle));
    link.setQuery(query);
    return link;
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setFont(standardWindowFont());

    Panel1 = placeControl(new BevelPanel(Bevel::Lowered, Bevel::Raised, this), "Panel1",
                          {8, 8, 353, 217});
    Panel2 = placeControl(new BevelPanel(Bevel::Lowered, Bevel::None, Panel1), "Panel2",
                          {8, 8, 158, 198});
    Image1 = placeControl(new QLabel(Panel2), "Image1", {{2, 2}, kAboutPictureSize});
    Image1->setPixmap(aboutPicture(devicePixelRatioF()));
    Image1->setAccessibleName(QLatin1String(kProductTitle));

    ProductName = placeControl(new QLabel(QLatin1String(kProductTitle), Panel1), "ProductName",
                               {184, 16, 0, 0});
    ProductName->setFont(productNameFont());
    ProductName->adjustSize();
    Version = placeControl(
        new QLabel(QStringLiteral("Version ") + QLatin1String(programVersion()), Panel1), "Version",
        {232, 40, 0, 0});
    Version->adjustSize();
    Copyright =
        placeControl(new QLabel(QStringLiteral("Copyright © the Korvex 2 developers"), Panel1),
                     "Copyright", {184, 64, 0, 0});
    Copyright->setWordWrap(true);
    Copyright->resize(kCommentsWidth, Copyright->heightForWidth(kCommentsWidth));

    Comments = placeControl(
        new ClickableLabel(QStringLiteral("mailto: ") + QLatin1String(kContactMailAddress), Panel1),
        "Comments", {184, 184, 0, 0});
    Comments->setWordWrap(true);
    colourLink();
    Comments->setCursor(Qt::PointingHandCursor);
    // A wrapped caption grows downwards, as the label is sized to its text.
    Comments->resize(kCommentsWidth,
                     std::max(kCommentsLineHeight, Comments->heightForWidth(kCommentsWidth)));

    OKButton =
        placeControl(new QPushButton(QStringLiteral("OK"), this), "OKButton", {143, 228, 75, 25});
    OKButton->setDefault(true);

    connect(Comments, &ClickableLabel::clicked, this, &TAboutBox::CommentsClick);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    setWindowTitle(QStringLiteral("About"));
    setFixedSize(kClientSize);
    setModal(true);
}

void TAboutBox::openOwnedBy(QWidget* owner) {
    if (parentWidget() != owner) setParent(owner, windowFlags());
    open();
}

// Only the text colour is set on the link, so everything else follows the box's palette.
void TAboutBox::colourLink() {
    QPalette linkPalette;
    linkPalette.setColor(QPalette::WindowText, readableLinkColour(palette()));
    Comments->setPalette(linkPalette);
}

void TAboutBox::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && Comments != nullptr) colourLink();
}

// Without a mail program the link opens nowhere, and nothing is said about it.
void TAboutBox::CommentsClick() { QDesktopServices::openUrl(contactMailLink()); }

// The box itself (not its frame) is placed, as a rectangle: a mere move() of a window shown
// before would be taken for its frame's position, and under a window manager the box would open
// one title bar lower each time.
void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setGeometry(QRect(centredOnScreen(screen()->geometry(), size()), size()));
    // The link comes first in the Tab order, as it stands above the button, but the box opens
    // with the focus on "OK", so that Enter closes it rather than opening a mail.
    OKButton->setFocus(Qt::ActiveWindowFocusReason);
}
