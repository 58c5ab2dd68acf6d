// Layer korvex_ui: the windows; includes Qt and every layer.

#include "ui/controlsUnit.h"

#include <QAccessibleWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>

#include "ui/keyboardUnit.h"

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

// The role of a plain QWidget is "client", which AT-SPI calls a filler: a window made of one
// would not be told apart from the panels inside it. Separator lines (a 2-pixel bevel panel, a
// frame drawn as a line) are separators, the other bevel panels panes.
QAccessible::Role programRole(const QString& className, QWidget& widget) {
    const QMetaObject* kind = widget.metaObject();
    if (className != QLatin1String(kind->className())) return QAccessible::NoRole;
    if (widget.isWindow() && kind->superClass() == &QWidget::staticMetaObject)
        return QAccessible::Window;
    if (const auto* frame = qobject_cast<QFrame*>(&widget);
        frame != nullptr && kind == &QFrame::staticMetaObject &&
        (frame->frameShape() == QFrame::VLine || frame->frameShape() == QFrame::HLine))
        return QAccessible::Separator;
    if (kind == &BevelPanel::staticMetaObject)
        return widget.children().isEmpty() && widget.height() <= 2 ? QAccessible::Separator
                                                                   : QAccessible::Pane;
    return QAccessible::NoRole;
}

QAccessibleInterface* programInterface(const QString& className, QObject* object) {
    if (!object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className()))
        return new ClickableLabelAccessible(widget);
    const QAccessible::Role role = programRole(className, *widget);
    return role != QAccessible::NoRole ? new QAccessibleWidget(widget, role) : nullptr;
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

void useProgramAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(programInterface);
        return true;
    }();
    (void)installed;
}

void announceNewChild(QAccessibleInterface* object) {
    if (object == nullptr) return;
    QAccessibleEvent added(object, QAccessible::ObjectCreated);
    QAccessible::updateAccessibility(&added);
}

QPoint placeBeside(QSize size, const QRect& keep, const QRect& screen) {
    constexpr int kGap = 8;
    const QPoint candidates[] = {
        {keep.right() + 1 + kGap, keep.top()},
        {keep.left(), keep.bottom() + 1 + kGap},
        {keep.left() - kGap - size.width(), keep.top()},
        {keep.left(), keep.top() - kGap - size.height()},
    };
    QPoint best;
    qint64 leastCovered = -1;
    for (const QPoint& candidate : candidates) {
        const QPoint onScreen(
            std::clamp(candidate.x(), screen.left(),
                       std::max(screen.left(), screen.right() + 1 - size.width())),
            std::clamp(candidate.y(), screen.top(),
                       std::max(screen.top(), screen.bottom() + 1 - size.height())));
        const QRect covered = QRect(onScreen, size).intersected(keep);
        const qint64 area = static_cast<qint64>(covered.width()) * covered.height();
        if (leastCovered < 0 || area < leastCovered) {
            leastCovered = area;
            best = onScreen;
        }
    }
    return best;
}

BevelPanel::BevelPanel(Bevel outer, Bevel inner, QWidget* parent)
    : QWidget(parent), outer_(outer), inner_(inner) {
    useProgramAccessibleRoles();
}

void BevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect edge = rect();
    drawBevel(painter, edge, outer_, palette());
    if (outer_ != Bevel::None) edge.adjust(1, 1, -1, -1);
    drawBevel(painter, edge, inner_, palette());
}

ClickableLabel::ClickableLabel(QWidget* parent) : ClickableLabel(QString(), parent) {}

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    useProgramAccessibleRoles();
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
    return readableColour(palette.color(QPalette::Link), palette.color(QPalette::Window));
}

QColor readableColour(const QColor& colour, const QColor& background) {
    constexpr double kReadableContrast = 4.5;
    constexpr int kSteps = 20;
    const bool darkBackground = relativeLuminance(background) < 0.18;
    // White reaches the threshold on every background darker than the crossover, black on
    // every lighter one: the colour is mixed with it a twentieth at a time, keeping its hue as
    // long as it can (a pure red cannot get lighter by itself).
    const QColor target = darkBackground ? QColor(Qt::white) : QColor(Qt::black);
    const QColor start = colour.toRgb();
    QColor readable = start;
    for (int step = 1; step <= kSteps && contrastRatio(readable, background) < kReadableContrast;
         ++step) {
        const auto mix = [step](float from, float to) {
            return from + (to - from) * static_cast<float>(step) / kSteps;
        };
        readable =
            QColor::fromRgbF(mix(start.redF(), target.redF()), mix(start.greenF(), target.greenF()),
                             mix(start.blueF(), target.blueF()));
    }
    return readable;
}
