// Numbered errors of Galvia's platform layer, with their French descriptions.
#pragma once

#include <QString>
#include <cstdint>

namespace galvia {

// The error numbers the program shows in its boxes ("Erreur : 53 - Fichier introuvable").
enum NumeroErreur : int {
    ErrDepassement = 6,
    ErrMemoire = 7,
    ErrIndice = 9,
    ErrNomIncorrect = 52,
    ErrFichierIntrouvable = 53,
    ErrFichierExiste = 58,
    ErrPeripherique = 68,
    ErrPermission = 70,
    ErrAccesChemin = 75,
    ErrCheminIntrouvable = 76,
    ErrImageIncorrecte = 481,
};

// A failure reported by a platform service: a number and its description.
struct Erreur {
    int numero = 0;
    QString description;

    explicit Erreur(int n);
};

// French description of an error number ("Erreur définie par l'application" when unknown).
QString descriptionErreur(int numero);

// The error number matching a C library errno value.
int erreurDepuisErrno(int code);

// The error of a folder that cannot be opened: a missing one gives 76 "Chemin
// introuvable", any other failure the number of its errno value.
int erreurDossier(int code);

// Throws error 53 "Fichier introuvable" unless `mode` (a stat st_mode) is a regular file's.
void exigerFichierRegulier(unsigned mode);

// A 16-bit result: throws error 6 "Dépassement de capacité" outside -32768..32767.
std::int16_t vers16(long long valeur);

} // namespace galvia
