#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The banner: a small borderless picture that stays on top in the top-right corner of the
// screen from the moment the main window is first shown; a click opens the project's web page.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

class BevelPanel;
class ClickableLabel;

class TrekForm final : public QWidget {
    Q_OBJECT
  public:
    static constexpr QSize kClientSize{209, 49};
    static constexpr int kScreenMargin = 20;

    explicit TrekForm(QWidget* parent = nullptr);

  private slots:
    void FormShow();
    void Image1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    // Refuses the window manager's close requests (Alt+F4): the banner stays until the program
    // ends. The program's own closing of its windows at the end goes through.
    void closeEvent(QCloseEvent* event) override;

  private:
    BevelPanel* Panel1 = nullptr;
    ClickableLabel* Image1 = nullptr;
};

// Where the banner goes on a screen: 20 pixels from its right and top edges.
QPoint bannerPosition(const QRect& screen);
