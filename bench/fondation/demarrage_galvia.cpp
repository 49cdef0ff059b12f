// Galvia started as the program starts, quitting once its window is first painted.
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/qt/PlateformeQt.h"
#include "platform/qt/VueFenetreQt.h"
#include "viewer/Form1.h"

#include "PremierePeinture.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    galvia::PoolCommun decodeurs; // the decode workers end before the application object
    galvia::preparerDecodeurs();
    galvia::PlateformeQt plateforme;
    galvia::Module1 etat;
    galvia::Form1 form1(plateforme, etat);
    galvia::VueFenetreQt vue(form1.fenetre);
    galvia::bench::PremierePeinture filtre;
    app.installEventFilter(&filtre);
    form1.Form_Load();
    vue.showMaximized();
    QCoreApplication::processEvents();
    return filtre.peint ? 0 : QApplication::exec();
}
