#include "Images.h"

#include "BudgetDecodage.h"
#include "Erreurs.h"

#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <sys/stat.h>

namespace galvia {

void preparerDecodeurs() {
    QImageReader::setAllocationLimit(LimiteAllocationMo);
}

namespace {

// Opens a reader on an existing, readable picture file; throws otherwise.
void ouvrir(QImageReader& lecteur, QFile& fichier, const QString& chemin) {
    struct stat st {};
    if (::stat(QFile::encodeName(chemin).constData(), &st) != 0)
        throw Erreur(erreurDepuisErrno(errno));
    if (!S_ISREG(st.st_mode)) throw Erreur(ErrFichierIntrouvable);
    fichier.setFileName(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        throw Erreur(fichier.error() == QFileDevice::PermissionsError ? ErrPermission
                                                                      : ErrAccesChemin);
    lecteur.setDevice(&fichier);
    lecteur.setAutoTransform(true);
    lecteur.setDecideFormatFromContent(true);
    if (!lecteur.canRead()) throw Erreur(ErrImageIncorrecte);
}

QSize tailleAffichee(QImageReader& lecteur) {
    QSize s = lecteur.size();
    if (!s.isValid()) return s;
    if (lecteur.transformation() & QImageIOHandler::TransformationRotate90) s.transpose();
    return s;
}

void verifierTaille(QSize s) {
    if (!s.isValid() || s.isEmpty()) throw Erreur(ErrImageIncorrecte);
    if (s.width() > CoteMaximal || s.height() > CoteMaximal) throw Erreur(ErrDepassement);
    const double octets = 4.0 * s.width() * s.height();
    if (octets > LimiteAllocationMo * 1024.0 * 1024.0) throw Erreur(ErrMemoire);
}

QImage lire(QImageReader& lecteur) {
    QImage image = lecteur.read();
    if (image.isNull()) throw Erreur(ErrImageIncorrecte);
    if (image.width() > CoteMaximal || image.height() > CoteMaximal) throw Erreur(ErrDepassement);
    return image;
}

} // namespace

QImage chargerImage(const QString& chemin) {
    return chargerReduite(chemin, {});
}

QSize tailleNaturelle(const QString& chemin) {
    QImageReader lecteur;
    QFile fichier;
    ouvrir(lecteur, fichier, chemin);
    QSize s = tailleAffichee(lecteur);
    if (!s.isValid()) s = lire(lecteur).size(); // a format that gives no size without decoding
    verifierTaille(s);
    return s;
}

QImage chargerReduite(const QString& chemin, QSize taille, const AvantDecodage& avant) {
    QImageReader lecteur;
    QFile fichier;
    ouvrir(lecteur, fichier, chemin);
    const QSize s = tailleAffichee(lecteur);
    if (s.isValid()) verifierTaille(s);
    if (taille.isValid() && !taille.isEmpty()) {
        // The scaled size applies before the orientation is applied.
        QSize demandee = taille;
        if (lecteur.transformation() & QImageIOHandler::TransformationRotate90)
            demandee.transpose();
        lecteur.setScaledSize(demandee);
    }
    if (avant) avant(memoireDecodage(lecteur));
    return lire(lecteur);
}

} // namespace galvia
