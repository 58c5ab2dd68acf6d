#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// What the windows share about their controls: the control kinds Qt has no exact match for (a
// panel drawn with an outer and an inner bevel, a label that reports clicks), the windows'
// standard font, and the placing of controls at their designed places and of windows over
// others.

#include <QFont>
#include <QLabel>
#include <QLatin1String>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

class QAccessibleInterface;

// The font every window's controls use: the system sans at a height of 11 pixels, condensed
// face where the system has one, so that captions laid out for an 11-pixel font of that width
// fit their controls.
QFont standardWindowFont();

// Names `control` (its objectName, by which tests and assistive technology find it) and puts it
// at its designed place within its holder. A control sized to its text afterwards is placed with
// an empty size.
template <class Control>
Control* placeControl(Control* control, const char* name, const QRect& geometry) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

// Text laid out for a font narrower than the system's: narrows `control`'s font horizontally,
// from its own width, until `textWidth()` (the width the text takes at the control's font now)
// is at most `room`, but never below half the normal width. A condensed face, where the system
// has one, is matched as a whole and may still be too wide, so the font is narrowed again until
// the text fits. A text that fits already leaves the font alone.
void narrowFontToFit(QWidget& control, int room, const std::function<int()>& textWidth);

// The top-left corner that centres a window of `size` on `screen` (or on any other area, such as
// the window a dialog opens over).
QPoint centredOnScreen(const QRect& screen, QSize size);

// Makes assistive technology see the program's own kinds of control for what they are: each
// window a window (not a filler), a separator line a separator, a panel a pane and a clickable
// label a link. Once per program; every window and such control calls it, so that it is in
// place before its first accessible question.
void useProgramAccessibleRoles();

// Tells assistive technology of `object` (a line added to a list, a note that appears) as a new
// child of its parent that carries its text, without moving the focus: Qt's AT-SPI bridge sends
// no text with a name or value change, and tells of a current item only while its list has the
// focus. A null `object` is left alone.
void announceNewChild(QAccessibleInterface* object);

// Where a window of `size` (its frame included) opens beside `keep`, a window that must stay in
// sight, on `screen`: to its right, below it, to its left or above it, each moved wholly onto
// the screen, the first of these that covers the least of `keep` (none at all where the screen
// is large enough). The top-left corner of the frame.
QPoint placeBeside(QSize size, const QRect& keep, const QRect& screen);

enum class Bevel { None, Raised, Lowered };

// A panel with up to two one-pixel bevels, outer first: raised draws light on the top and left
// edges and shadow on the bottom and right, lowered the reverse. A 2-pixel-high panel with a
// lowered outer bevel is a separator line. The background is the parent's.
class BevelPanel final : public QWidget {
    Q_OBJECT
  public:
    BevelPanel(Bevel outer, Bevel inner, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Bevel outer_;
    Bevel inner_;
};

// A label (text or picture) that opens something, as a link does: it emits clicked() when the
// left button is pressed and released over it, and when it has the keyboard focus (it takes the
// focus by Tab and by a click) and Enter or Space is pressed. A focused label shows a focus
// frame. To assistive technology it is a link with a press action, named by its accessible name
// or else its text.
class ClickableLabel final : public QLabel {
    Q_OBJECT
  public:
    explicit ClickableLabel(QWidget* parent = nullptr);
    explicit ClickableLabel(const QString& text, QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// The colour for a link's text on `palette`'s window background: the palette's link colour,
// made lighter on a dark background or darker on a light one until it has a contrast ratio of
// at least 4.5:1 with the background (the usual threshold for body text).
QColor readableLinkColour(const QPalette& palette);

// `colour` made lighter on a dark `background` or darker on a light one until it reads against
// it at 4.5:1 or better; a colour that does already is returned as it is.
QColor readableColour(const QColor& colour, const QColor& background);

// The contrast ratio of two colours, from 1 (alike) to 21 (black on white), from their relative
// luminances.
double contrastRatio(const QColor& one, const QColor& other);
