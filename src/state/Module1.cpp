#include "Module1.h"

namespace galvia {

QString Module1::dossierDeEntree(int n) const {
    QString dossier;
    for (int d = 1; d <= NbDossiers && d <= MaxDossiers; ++d)
        if (FinDossier[d - 1] < n) {
            dossier = ListeDossiers[d];
            if (!dossier.endsWith(QLatin1Char('/'))) dossier += QLatin1Char('/');
        }
    return dossier;
}

QString Module1::fichierDeEntree(int n) const {
    const QString nom = n >= 0 && n < TabImages.size() ? TabImages.at(n) : QString();
    const QString dossier = MultiDossier == 1 ? dossierDeEntree(n) : QString();
    return (dossier.isEmpty() ? Chemin : dossier) + nom;
}

} // namespace galvia
