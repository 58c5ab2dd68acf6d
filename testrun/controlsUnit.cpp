#include "testrun/controlsUnit.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kWindowFontPixelSize = 11;

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
