#pragma once
// The program's pictures: SVG drawings compiled in as Qt resources (assets/korvex2.qrc) and
// rendered at the size their control shows them.

#include <QList>
#include <QPixmap>
#include <QSize>

inline constexpr QSize kAboutPictureSize{152, 192};
inline constexpr QSize kBannerPictureSize{207, 47};
inline constexpr QSize kToolButtonImageSize{16, 16};
inline constexpr int kToolButtonImageCount = 14;

// The about box's picture, opaque.
QPixmap aboutPicture();

// The banner's picture, opaque.
QPixmap bannerPicture();

// The comparison window's tool-button images, transparent around the drawing, in image-list
// order: 0 cycles (the letters CLK), 1 milliseconds (a clock face), 2 to 9 the Hamming tests in
// test order (encoding a green C, decoding a red D; the 8- and 32-bit ones with a small 8 or 32
// beside the letter), 10 and 11 the two transform tests (a yellow smiling face), 12 the system
// information (a small bar chart), 13 the about box (a question mark in a green circle).
QList<QPixmap> toolButtonImages();
