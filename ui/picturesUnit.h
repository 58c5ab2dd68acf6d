#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The program's pictures: SVG drawings compiled in as Qt resources (assets/korvex2.qrc) and
// rendered at the size their control shows them, in the screen's own pixels: on a screen of
// device-pixel ratio 2 a 152 × 192 picture is drawn as 304 × 384 pixels, not enlarged.

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

#include "record/resultTableUnit.h"

inline constexpr QSize kAboutPictureSize{152, 192};
inline constexpr QSize kBannerPictureSize{207, 47};
inline constexpr QSize kToolButtonImageSize{16, 16};
inline constexpr int kToolButtonImageCount = kTestCount + 4;

// The about box's picture, opaque, for a screen of `devicePixelRatio` (the window's
// devicePixelRatioF()); its size in the window's pixels is kAboutPictureSize.
QPixmap aboutPicture(qreal devicePixelRatio = 1);

// The banner's picture, opaque, likewise; kBannerPictureSize in the window's pixels.
QPixmap bannerPicture(qreal devicePixelRatio = 1);

// The program's icon (assets/korvex2.svg, the icon its desktop entry names) for the windows'
// title bars and window switchers, rendered at the usual icon sizes from 16 to 128 pixels.
QIcon programIcon();

// The comparison window's tool-button images, 16 × 16, each rendered at 1× and, where
// `devicePixelRatio` is higher, at that ratio too; transparent around the drawing; in image-list
// order: 0 cycles (the letters CLK), 1 milliseconds (a clock face), then each test's picture in
// test order (the test table's icon: for the Hamming tests encoding a green C, decoding a red D,
// the 8- and 32-bit ones with a small 8 or 32 beside the letter; for the transform tests a
// yellow smiling face), then the system information (a small bar chart) and the about box (a
// question mark in a green circle), the last two. The letters CLK and the small 8 and 32 are
// drawn in `textColour`, the tool buttons' text colour, so they read on a dark palette as on a
// light one. Given the colour of the tool bar behind them, `background`, the coloured letters
// (the green C, the red D) are made lighter or darker where they would read at less than 4.5:1
// against it (readableColour).
QList<QIcon> toolButtonImages(qreal devicePixelRatio = 1, const QColor& textColour = Qt::black,
                              const QColor& background = QColor());
