// What the slide-sheet benchmarks share: the program's state on a folder's pictures.
#pragma once

#include "state/Module1.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace galvia::bench {

// Galvia's list set to the files of `dossier` matching `filtre`, by name, as the sheet
// reads it (entry 0 unused).
inline void listerDossier(Module1& etat, const QString& dossier, const QString& filtre) {
    etat.Chemin = dossier + u'/';
    etat.TabImages =
        QStringList{QString()} + QDir(dossier).entryList({filtre}, QDir::Files, QDir::Name);
    etat.NbImages = static_cast<std::int16_t>(etat.TabImages.size() - 1);
}

} // namespace galvia::bench
