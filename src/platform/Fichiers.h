// File-system services of Galvia: folder listings in the file system's order, volumes,
// file lengths. Names and paths carry the file system's bytes (NomsOctets.h).
#pragma once

#include "Disque.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <sys/stat.h>
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

// How Galvia reaches a file or a folder by its path, whatever the path's length: the
// folder is opened (O_PATH: reaching its entries needs no right to list it), and the
// entry is then reached relative to it (openat, fstatat, renameat). A folder path at or
// beyond the system's limit (PATH_MAX) is opened one component at a time, so that every
// file a listing shows can be shown, described and renamed alike. Names and paths carry
// the file system's bytes (NomsOctets.h).

// A folder opened for the *at() calls, closed on every path out. Throws an Erreur (76,
// 70...) when it cannot be opened.
class DossierOuvert {
public:
    // `dossier` empty: the current folder.
    explicit DossierOuvert(const QString& dossier);
    ~DossierOuvert();
    DossierOuvert(const DossierOuvert&) = delete;
    DossierOuvert& operator=(const DossierOuvert&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// Opens the file at `chemin` with open(2)'s `drapeaux`, relative to its folder as above:
// a descriptor, or -1 with errno set as open(2) sets it. Throws an Erreur 52 for a path
// that holds a NUL.
int ouvrirFichier(const QString& chemin, int drapeaux);

// stat(2) of the file at `chemin` (a link followed), relative to its folder as above:
// false with errno set when it cannot be read. Throws an Erreur 52 as ouvrirFichier.
bool etatFichier(const QString& chemin, struct stat& etat);

} // namespace galvia
