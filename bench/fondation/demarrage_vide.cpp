// An empty Qt Widgets window, quitting once it is first painted: the reference.
#include "PremierePeinture.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow fenetre;
    galvia::bench::PremierePeinture filtre;
    app.installEventFilter(&filtre);
    fenetre.showMaximized();
    QCoreApplication::processEvents();
    return filtre.peint ? 0 : QApplication::exec();
}
