#include "testrun/applicationUnit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void prepareApplication(QApplication& application) {
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
    auto* qtTexts = new QTranslator(&application);
    if (qtTexts->load(QStringLiteral("qtbase_ru"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
}
