// File-system services of Galvia: folder listings in the file system's order, volumes,
// file lengths. Names and paths carry the file system's bytes (NomsOctets.h).
#pragma once

#include "ControlesListes.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace galvia {

// The folder separator; `Chemin` and folder captions end with it.
inline constexpr QChar Separateur = QLatin1Char('/');

// `chemin` followed by one separator, never doubled (the root stays "/").
QString avecSeparateur(const QString& chemin);

// The text after the last separator of a path.
QString nomDeFichier(const QString& chemin);

// Reads a folder one name at a time, in the file system's order. With the normal mask
// it yields the names of regular files not starting with ".", with the folders mask the
// names of folders not starting with "." (symbolic links followed in both); with the
// full mask it yields every entry but "." and "..". A folder that cannot be opened
// yields nothing.
class ListageDossier {
public:
    enum Masque { Normal = 0, Dossiers = 16, Tout = 23 };
    ListageDossier(const QString& dossier, Masque masque);
    ~ListageDossier();
    ListageDossier(const ListageDossier&) = delete;
    ListageDossier& operator=(const ListageDossier&) = delete;
    // The next name, or an empty text when none is left.
    QString suivant();

private:
    void* dir_ = nullptr;
    Masque masque_;
};

// True when the folder can be opened and listed, empty or not.
bool dossierListable(const QString& dossier);

// Checks that a folder can be listed; throws an Erreur (76, 70, 68) otherwise.
void verifierDossier(const QString& dossier);

// The visible subfolders of a folder (names only), in the file system's order.
QStringList sousDossiers(const QString& dossier);

// The volumes a user can browse: the root and the real, ready file systems.
std::vector<Volume> volumesMontes();

// The root of the volume that holds `chemin`, ending with a separator.
QString volumeDe(const QString& chemin);

// The process's current folder, and changing it (false when it cannot be entered).
QString dossierCourant();
bool changerDossierCourant(const QString& dossier);

// The user's home folder.
QString dossierPersonnel();

// Length of a file in bytes; throws an Erreur when it cannot be read.
std::int64_t longueurFichier(const QString& chemin);

} // namespace galvia
