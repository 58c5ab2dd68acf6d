// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/controlsUnit.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>

#include "testrun/keyboardUnit.h"

namespace {

constexpr int kWindowFontPixelSize = 11;
constexpr int kNormalStretch = 100;
constexpr int kNarrowestStretch = 50;

void drawBevel(QPainter& painter, const QRect& rect, Bevel bevel, const QPalette& palette) {
    if (bevel == Bevel::None) return;
    const QColor light = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);
    const bool raised = bevel == Bevel::Raised;
    painter.setPen(raised ? light : shadow);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(raised ? shadow : light);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

// A clickable label as assistive technology sees it: a link that can be pressed.
class ClickableLabelAccessible final : public QAccessibleWidget {
  public:
    explicit ClickableLabelAccessible(QWidget* label)
        : QAccessibleWidget(label, QAccessible::Link) {}
    QString text(QAccessible::Text kind) const override {
        const QString own = QAccessibleWidget::text(kind);
        if (kind != QAccessible::Name || !own.isEmpty()) return own;
        return static_cast<const QLabel*>(widget())->text();
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit static_cast<ClickableLabel*>(widget())->clicked();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* clickableLabelInterface(const QString& className, QObject* object) {
    if (className != QLatin1String(ClickableLabel::staticMetaObject.className()) ||
        !object->isWidgetType())
        return nullptr;
    return new ClickableLabelAccessible(static_cast<QWidget*>(object));
}

// WCAG's relative luminance of a colour on an sRGB screen.
double relativeLuminance(const QColor& colour) {
    const auto linear = [](float channel) {
        return channel <= 0.03928f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

}  // namespace

QFont standardWindowFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::SemiCondensed);
    font.setPixelSize(kWindowFontPixelSize);
    return font;
}

void narrowFontToFit(QWidget& control, int room, const std::function<int()>& textWidth) {
    QFont font = control.font();
    int stretch = font.stretch() == QFont::AnyStretch ? kNormalStretch : font.stretch();
    for (int width = textWidth(); width > room && stretch > kNarrowestStretch;
         width = textWidth()) {
        stretch = std::max(kNarrowestStretch, std::min(stretch - 1, stretch * room / width));
        font.setStretch(stretch);
        control.setFont(font);
    }
}

QPoint centredOnScreen(const QRect& screen, QSize size) {
    return {screen.left() + (screen.width() - size.width()) / 2,
            screen.top() + (screen.height() - size.height()) / 2};
}

BevelPanel::BevelPanel(Bevel outer, Bevel inner, QWidget* parent)
    : QWidget(parent), outer_(outer), inner_(inner) {}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect edge = rect();
    drawBevel(painter, edge, outer_, palette());
    if (outer_ != Bevel::None) edge.adjust(1, 1, -1, -1);
    drawBevel(painter, edge, inner_, palette());
}

ClickableLabel::ClickableLabel(QWidget* parent) : ClickableLabel(QString(), parent) {}

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool accessibleAsLink = [] {
        QAccessible::installFactory(clickableLabelInterface);
        return true;
    }();
    (void)accessibleAsLink;
    setFocusPolicy(Qt::StrongFocus);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    const bool space = event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier;
    if (!space && !isEnterKey(*event)) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    emit clicked();
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.backgroundColor = palette().color(backgroundRole());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

double contrastRatio(const QColor& one, const QColor& other) {
    const double first = relativeLuminance(one);
    const double second = relativeLuminance(other);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor readableLinkColour(const QPalette& palette) {
    constexpr double kReadableContrast = 4.5;
    constexpr int kStep = 110;  // percent: each step a tenth lighter or darker
    const QColor background = palette.color(QPalette::Window);
    const bool darkBackground = relativeLuminance(background) < 0.18;
    QColor link = palette.color(QPalette::Link);
    // White reaches the threshold on every background darker than the crossover, black on
    // every lighter one: the steps head there, and end there at the latest.
    for (int step = 0; step < 64 && contrastRatio(link, background) < kReadableContrast; ++step) {
        const QColor next = darkBackground ? link.lighter(kStep) : link.darker(kStep);
        if (next == link) break;
        link = next;
    }
    return contrastRatio(link, background) >= kReadableContrast
               ? link
               : (darkBackground ? QColor(Qt::white) : QColor(Qt::black));
}
