#include "Images.h"

#include "BudgetDecodage.h"
#include "Erreurs.h"
#include "NomsOctets.h"

#include <QFile>
#include <QImageReader>
#include <QScopeGuard>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace galvia {

void preparerDecodeurs() {
    QImageReader::setAllocationLimit(LimiteAllocationMo);
}

namespace {

// Opens a reader on an existing, readable picture file; throws otherwise. The file is
// opened by its exact bytes, and checked on the descriptor opened: a regular file
// (without blocking on a pipe, which would wait for a writer), that one and no other.
void ouvrir(QImageReader& lecteur, QFile& fichier, const QString& chemin) {
    const int fd =
        ::open(cheminSysteme(chemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw Erreur(erreurDepuisErrno(errno));
    auto fermer = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    exigerFichierRegulier(::fstat(fd, &st) == 0 ? st.st_mode : 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw Erreur(ErrAccesChemin);
    fermer.dismiss();
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
