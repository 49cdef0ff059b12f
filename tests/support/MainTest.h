// The main of a test program: QTEST_MAIN's, with the decode workers' life nested in the
// application object's (PoolCommun, PoolDecodage.h), so that no worker outlives the Qt
// objects it uses and the program ends once its tests have run. Every test that may
// start decodes uses GALVIA_TEST_MAIN or GALVIA_TEST_GUILESS_MAIN.
#pragma once

#include "platform/decodage/PoolDecodage.h"

#include <QTest>

#if defined(QT_WIDGETS_LIB)
#include <QApplication>
#define GALVIA_TEST_APPLICATION QApplication
#elif defined(QT_GUI_LIB)
#include <QGuiApplication>
#define GALVIA_TEST_APPLICATION QGuiApplication
#else
#define GALVIA_TEST_APPLICATION QCoreApplication
#endif

namespace galvia::test {

// Runs the tests of `Classe` as QTEST_MAIN does, the decode workers stopped before the
// application object goes.
template <class Classe, class Application> int executerTests(int argc, char* argv[]) {
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    PoolCommun decodeurs;
    Classe tests;
    QTEST_SET_MAIN_SOURCE_PATH
    return decodeurs.arreter(QTest::qExec(&tests, argc, argv));
}

} // namespace galvia::test

#define GALVIA_TEST_MAIN_AVEC(Classe, Application)                                                 \
    int main(int argc, char* argv[]) {                                                             \
        return galvia::test::executerTests<Classe, Application>(argc, argv);                       \
    }

#define GALVIA_TEST_MAIN(Classe) GALVIA_TEST_MAIN_AVEC(Classe, GALVIA_TEST_APPLICATION)
#define GALVIA_TEST_GUILESS_MAIN(Classe) GALVIA_TEST_MAIN_AVEC(Classe, QCoreApplication)
