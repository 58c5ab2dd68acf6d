#pragma once
// The control kinds the windows share that Qt has no exact match for: a panel drawn with an
// outer and an inner bevel, a label that reports clicks, and the windows' standard font.

#include <QFont>
#include <QLabel>
#include <QWidget>

// The font every window's controls use: the system sans at a height of 11 pixels, condensed
// face where the system has one, so that captions laid out for an 11-pixel font of that width
// fit their controls.
QFont standardWindowFont();

enum class Bevel { None, Raised, Lowered };

// A panel with up to two one-pixel bevels, outer first: raised draws light on the top and left
// edges and shadow on the bottom and right, lowered the reverse. A 2-pixel-high panel with a
// lowered outer bevel is a separator line. The background is the parent's.
class BevelPanel final : public QWidget {
    Q_OBJECT
  public:
    BevelPanel(Bevel outer, Bevel inner, QWidget* parent);

    Bevel outerBevel() const { return outer_; }
    Bevel innerBevel() const { return inner_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Bevel outer_;
    Bevel inner_;
};

// A label (text or picture) that emits clicked() when the left button is pressed and released
// over it.
class ClickableLabel final : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
