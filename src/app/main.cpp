// Galvia: browse a folder's pictures and view them full screen.
#include "platform/decodage/Images.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/qt/PlateformeQt.h"
#include "platform/qt/ProfilEcranX11.h"
#include "platform/qt/VueFenetreQt.h"
#include "state/Module1.h"
#include "viewer/Form1.h"

#include <QApplication>
#include <QtPlugin>

Q_IMPORT_PLUGIN(GalviaWmfPlugin)

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The decode workers live inside the application object's life (PoolDecodage.h).
    galvia::PoolCommun decodeurs;
    QApplication::setApplicationName(QStringLiteral("Galvia"));
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.galvia.Galvia"));
    galvia::preparerDecodeurs();

    galvia::PlateformeQt plateforme;
    const galvia::SuiviProfilEcran profilEcran;
    galvia::Module1 etat;
    galvia::Form1 form1(plateforme, etat);
    galvia::VueFenetreQt vue(form1.fenetre);
    form1.Form_Load();
    vue.showMaximized();
    return decodeurs.arreter(QApplication::exec());
}
