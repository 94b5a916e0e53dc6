// The main of every test program that drives widgets, documents or fonts: one application object
// for the whole program, set up as the program sets itself up (Chinese locale, font substitutions).
#include "drawing/FontSetup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv)
{
    // Test discovery runs the program without the test environment: never look for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    tavemo::drawing::installFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
