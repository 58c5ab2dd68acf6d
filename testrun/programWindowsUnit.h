#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The program's five windows: created at start-up in their fixed order, each held in a
// program-wide pointer and kept until the program ends, and handed the others it opens.

#include "engine/sequenceUnit.h"

class TAboutBox;
class TForm1;
class TForm2;
class TForm3;
class TrekForm;

extern TForm1* Form1;  // the main window
extern TForm2* Form2;  // the comparison window
extern TForm3* Form3;  // the system information dialog
extern TAboutBox* AboutBox;
extern TrekForm* rekForm;  // the banner

// Creates the windows in their order, shows none of them, and hands each window the others it
// opens. The main window comes first: its creation builds the kernel work area the runs need.
// The comparison window owns the running machine's results and reads the stored ones (the
// folder `cpus` of the current directory) in slices once the message loop runs, so the main
// window shows at once. `platform` and `tests` are what the main window's "Начать тест" runs;
// both must outlive the windows.
void createProgramWindows(SequencePlatform& platform, ResultFileTests tests);

// Deletes the windows, last created first, and clears their pointers.
void deleteProgramWindows();
