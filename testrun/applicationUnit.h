#pragma once
// What the program sets on its application object at start-up, before any window exists.

class QApplication;

// The desktop entry the program's windows belong to (korvex2.desktop): window managers and task
// bars take the program's name and icon from it, so no window caption needs the name appended.
inline constexpr const char* kDesktopFileName = "korvex2";

// Ties the windows to the desktop entry and loads Qt's own Russian texts (file dialog, message
// box buttons, edit-box context menus) from Qt's translations folder, whatever the user's
// locale, so that no English appears in the Russian program. Without the translation file
// (Debian package qt6-translations-l10n) Qt's texts stay English; nothing is said about it.
void prepareApplication(QApplication& application);
