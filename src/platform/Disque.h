// What the browsing panel reads of the file system: the volumes, a folder's subfolders
// and its files. The list controls ask a Disque for it, given by the platform
// (Plateforme::disque), and never read the file system themselves. Names and paths
// carry the file system's bytes (NomsOctets.h).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace galvia {

// A mounted volume the user can browse.
struct Volume {
    QString racine;  // "/", "/media/cle/"
    QString libelle; // may be empty
};

class Disque {
public:
    virtual ~Disque() = default;
    // The volumes a user can browse: the root first.
    virtual std::vector<Volume> volumes() = 0;
    // Checks that a folder can be listed; throws an Erreur (76, 70, 68) otherwise.
    virtual void verifierDossier(const QString& dossier) = 0;
    // The visible subfolders of a folder (names only), in the file system's order.
    virtual QStringList sousDossiers(const QString& dossier) = 0;
    // The visible regular files of a folder (names only), in the file system's order;
    // nothing when it cannot be listed.
    virtual QStringList fichiers(const QString& dossier) = 0;
};

// The file system of the machine (Fichiers.h).
Disque& disqueSysteme();

} // namespace galvia
