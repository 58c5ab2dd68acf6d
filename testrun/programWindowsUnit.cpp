// Layer korvex_ui: the windows; includes Qt and every layer.

#include "testrun/programWindowsUnit.h"

#include "results/benchUnit.h"
#include "results/sendUnit.h"
#include "testrun/boutUnit.h"
#include "testrun/mainUnit.h"
#include "testrun/reklamaUnit.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TAboutBox* AboutBox = nullptr;
TrekForm* rekForm = nullptr;

void createProgramWindows(SequencePlatform& platform, ResultFileTests tests) {
    Form1 = new TForm1(platform, tests);
    Form2 = new TForm2;
    Form3 = new TForm3(Form2->BenchResults(), Form2);
    AboutBox = new TAboutBox(Form1);
    rekForm = new TrekForm;

    Form1->setBenchResults(Form2->BenchResults());
    Form1->setComparisonWindow(Form2);
    Form1->setAboutBox(AboutBox);
    Form1->setBanner(rekForm);
    Form2->setSystemInformationDialog(Form3);
    Form2->setAboutBoxOpener(
        [aboutBox = AboutBox, comparison = Form2] { aboutBox->openOwnedBy(comparison); });
    QObject::connect(Form1, &TForm1::resultsMeasured, Form3, &TForm3::setResultsMeasured);
}

void deleteProgramWindows() {
    delete rekForm;
    delete AboutBox;
    delete Form3;
    delete Form2;
    delete Form1;
    rekForm = nullptr;
    AboutBox = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
}
