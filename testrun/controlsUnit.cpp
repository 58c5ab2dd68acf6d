// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/controlsUnit.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

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
