#include "Erreurs.h"

#include <cerrno>
#include <limits>
#include <sys/stat.h>

namespace galvia {

Erreur::Erreur(int n)
    : numero(n)
    , description(descriptionErreur(n)) {}

QString descriptionErreur(int numero) {
    switch (numero) {
    case ErrDepassement:
        return QStringLiteral("Dépassement de capacité");
    case ErrMemoire:
        return QStringLiteral("Mémoire insuffisante");
    case ErrIndice:
        return QStringLiteral("L'indice n'appartient pas à la sélection");
    case ErrNomIncorrect:
        return QStringLiteral("Nom ou numéro de fichier incorrect");
    case ErrFichierIntrouvable:
        return QStringLiteral("Fichier introuvable");
    case ErrFichierExiste:
        return QStringLiteral("Fichier déjà existant");
    case ErrPeripherique:
        return QStringLiteral("Périphérique non disponible");
    case ErrPermission:
        return QStringLiteral("Permission refusée");
    case ErrAccesChemin:
        return QStringLiteral("Erreur d'accès au chemin/fichier");
    case ErrCheminIntrouvable:
        return QStringLiteral("Chemin d'accès introuvable");
    case ErrImageIncorrecte:
        return QStringLiteral("Image incorrecte");
    default:
        return QStringLiteral("Erreur définie par l'application");
    }
}

int erreurDepuisErrno(int code) {
    switch (code) {
    case ENOENT:
        return ErrFichierIntrouvable;
    case ENOTDIR:
        return ErrCheminIntrouvable;
    case EEXIST:
    case ENOTEMPTY:
        return ErrFichierExiste;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrPermission;
    case ENAMETOOLONG:
    case EINVAL:
        return ErrNomIncorrect;
    case ENOMEM:
        return ErrMemoire;
    case ENODEV:
    case ENXIO:
    case EIO:
        return ErrPeripherique;
    default:
        return ErrAccesChemin;
    }
}

int erreurDossier(int code) {
    return code == ENOENT ? ErrCheminIntrouvable : erreurDepuisErrno(code);
}

void exigerFichierRegulier(unsigned mode) {
    if (!S_ISREG(mode)) throw Erreur(ErrFichierIntrouvable);
}

std::int16_t vers16(long long valeur) {
    if (valeur < std::numeric_limits<std::int16_t>::min() ||
        valeur > std::numeric_limits<std::int16_t>::max())
        throw Erreur(ErrDepassement);
    return static_cast<std::int16_t>(valeur);
}

} // namespace galvia
