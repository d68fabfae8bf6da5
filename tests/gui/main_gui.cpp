// The widget tests need one QApplication for the whole run, in Spanish like the desktop program.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "gui/Aplicacion.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    tamaris::gui::InstalaIdiomaEspanol(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
