#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The about box: product name, version, copyright, the program's picture and a link that opens
// a new mail to the developers. Shown modally to the window that opens it (the main window's
// pop-up menu, the comparison window's question-mark button); closed with "OK", Enter or the
// title bar. The link takes the keyboard focus and opens with Enter or Space; its colour
// follows the palette, readable on light and dark ones.

#include <QDialog>
#include <QSize>
#include <QUrl>

class BevelPanel;
class ClickableLabel;
class QLabel;
class QPushButton;

// The link the `Comments` label opens: a new mail to the developers with the product named in
// the subject.
QUrl contactMailLink();

class TAboutBox final : public QDialog {
    Q_OBJECT
  public:
    static constexpr QSize kClientSize{367, 260};

    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box over `owner`, the window that opens it, modal to that window, and returns at
    // once: the box has no event loop of its own, so a test run in progress goes on behind it.
    // Owned by that window, the box stays above it and the window manager keeps the two together
    // (no separate minimising).
    void openOwnedBy(QWidget* owner);

  private slots:
    void CommentsClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void colourLink();

    BevelPanel* Panel1 = nullptr;
    BevelPanel* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    ClickableLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};
