#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// What the program sets up before and right after its application object is created, before any
// window exists.

class QApplication;

// The desktop entry the program's windows belong to (korvex2.desktop): window managers and task
// bars take the program's name and icon from it, so no window caption needs the name appended.
inline constexpr const char* kDesktopFileName = "korvex2";

// Holds Qt's messages from now until prepareApplication(), so that a start without any window
// system says one thing: when Qt reaches no display (its fatal message, after which it would
// abort), the program prints one line, in Russian and English, naming korvex2-console, and
// ends with exit status 1. The messages of a start that succeeded are passed on unchanged.
void guardApplicationStart();

// Chooses Qt's window system before the application object exists. The windows keep fixed
// places, the banner its corner of the screen and its place on top, which only X11 lets a
// program ask for: unless the user chose a Qt platform (QT_QPA_PLATFORM), the program uses X11
// (Qt's xcb platform) whenever an X server answers, also on a Wayland desktop through its X
// server (XWayland). Without one Qt's own choice stands, Wayland on a Wayland desktop.
void chooseWindowSystem();

// Ties the windows to the desktop entry, gives every window the program's icon, loads Qt's own
// Russian texts (file dialog, message box buttons, edit-box context menus) whatever the user's
// locale, and installs the keyboard and modal-dialog conventions of keyboardUnit.h and
// windowRecallUnit.h. Without the translation file (Debian package qt6-translations-l10n) Qt's
// texts stay English; nothing is said about it. On Wayland it says once on standard error that
// the compositor, not the program, places the windows.
void prepareApplication(QApplication& application);
