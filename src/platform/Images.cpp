#include "Images.h"

#include "BudgetDecodage.h"
#include "Erreurs.h"
#include "NomsOctets.h"

#include <QBuffer>
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

// A jpeg up to this size is decoded from memory: Qt's reader then hands libjpeg the
// whole compressed stream at once, where a file comes 4 KiB at a time, and libjpeg's
// entropy decoder only takes its fast path with several KiB of data ahead of it.
constexpr qint64 JpegEnMemoireMax = qint64{64} << 20;

// What a reader reads from: the file, or its bytes read in advance.
struct Source {
    QFile fichier;
    QByteArray octets;
    QBuffer tampon;
};

bool estJpeg(const QByteArray& debut) {
    return debut.size() >= 3 && quint8(debut[0]) == 0xff && quint8(debut[1]) == 0xd8 &&
           quint8(debut[2]) == 0xff;
}

// Opens a reader on an existing, readable picture file; throws otherwise. The file is
// opened by its exact bytes, and checked on the descriptor opened: a regular file
// (without blocking on a pipe, which would wait for a writer), that one and no other.
// `enMemoire`: a jpeg is read whole first when it is not too large (for a decode; a
// header alone is read from the file).
void ouvrir(QImageReader& lecteur, Source& source, const QString& chemin, bool enMemoire) {
    const int fd =
        ::open(cheminSysteme(chemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw Erreur(erreurDepuisErrno(errno));
    auto fermer = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    exigerFichierRegulier(::fstat(fd, &st) == 0 ? st.st_mode : 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile& fichier = source.fichier;
    if (!fichier.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw Erreur(ErrAccesChemin);
    fermer.dismiss();
    QIODevice* appareil = &fichier;
    if (enMemoire && st.st_size <= JpegEnMemoireMax && estJpeg(fichier.peek(3))) {
        source.octets = fichier.read(st.st_size + 1);
        if (source.octets.size() <= st.st_size) {
            source.tampon.setBuffer(&source.octets);
            source.tampon.open(QIODevice::ReadOnly);
            appareil = &source.tampon;
        } else {
            // It grew since it was measured: read it from the file after all.
            source.octets = QByteArray();
            if (!fichier.seek(0)) throw Erreur(ErrAccesChemin);
        }
    }
    lecteur.setDevice(appareil);
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
    Source source;
    ouvrir(lecteur, source, chemin, false);
    QSize s = tailleAffichee(lecteur);
    if (!s.isValid()) s = lire(lecteur).size(); // a format that gives no size without decoding
    verifierTaille(s);
    return s;
}

QImage chargerReduite(const QString& chemin, QSize taille, const AvantDecodage& avant) {
    return chargerVignette(
        chemin, [taille](QSize) { return taille; }, avant);
}

QImage chargerVignette(const QString& chemin, const std::function<QSize(QSize naturelle)>& taille,
                       const AvantDecodage& avant) {
    QImageReader lecteur;
    Source source;
    ouvrir(lecteur, source, chemin, true);
    const QSize s = tailleAffichee(lecteur);
    if (!s.isValid()) {
        // A format that gives no size without decoding: decoded whole, then scaled.
        if (avant) avant(memoireDecodage(lecteur) + source.octets.size());
        QImage image = lire(lecteur);
        verifierTaille(image.size());
        const QSize cible = taille(image.size());
        if (!cible.isValid() || cible.isEmpty() || cible == image.size()) return image;
        return image.scaled(cible, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    verifierTaille(s);
    const QSize cible = taille(s);
    if (cible.isValid() && !cible.isEmpty()) {
        // The scaled size applies before the orientation is applied.
        QSize demandee = cible;
        if (lecteur.transformation() & QImageIOHandler::TransformationRotate90)
            demandee.transpose();
        lecteur.setScaledSize(demandee);
    }
    if (avant) avant(memoireDecodage(lecteur) + source.octets.size());
    return lire(lecteur);
}

} // namespace galvia
