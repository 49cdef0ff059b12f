#include "ControlesListes.h"

#include "Erreurs.h"
#include "Fichiers.h"
#include "Texte.h"

#include <QDir>
#include <algorithm>

namespace galvia {

// --- drive list ---

void ListeLecteurs::setVolumes(std::vector<Volume> v) {
    volumes_ = std::move(v);
    changer();
}

void ListeLecteurs::setDrive(const QString& racine) {
    if (drive_ == racine) return;
    drive_ = racine;
    changer();
    if (surChange) surChange();
}

// --- folder list ---

void ListeDossiers::setPath(const QString& chemin) {
    QString p = QDir::cleanPath(chemin);
    if (p.isEmpty()) p = QStringLiteral("/");
    disque_.verifierDossier(p);
    if (p == path_) return;
    path_ = p;
    entrees_.clear();
    // Ancestors from the root down to the path itself.
    entrees_.append(QStringLiteral("/"));
    if (p != QLatin1String("/")) {
        const QStringList parts = p.split(Separateur, Qt::SkipEmptyParts);
        QString acc;
        for (const QString& part : parts) {
            acc += Separateur + part;
            entrees_.append(acc);
        }
    }
    nbAncetres_ = static_cast<int>(entrees_.size());
    QStringList sous = disque_.sousDossiers(p);
    std::sort(sous.begin(), sous.end(),
              [](const QString& a, const QString& b) { return comparerTexte(a, b) < 0; });
    for (const QString& s : sous)
        entrees_.append(avecSeparateur(p) + s);
    listIndex_ = nbAncetres_ - 1;
    changer();
    if (surChange) surChange();
}

QString ListeDossiers::list(int i) const {
    return i >= 0 && i < entrees_.size() ? entrees_.at(i) : QString();
}

int ListeDossiers::profondeur(int i) const {
    if (i < nbAncetres_) return i;
    return nbAncetres_;
}

void ListeDossiers::selectionner(int i) {
    if (i < 0 || i >= entrees_.size()) return;
    listIndex_ = i;
    if (enabled() && surClic) surClic();
}

void ListeDossiers::ouvrir(int i) {
    if (i < 0 || i >= entrees_.size() || !enabled()) return;
    try {
        setPath(entrees_.at(i));
    } catch (const Erreur&) {
        // A folder that vanished or cannot be read: the list stays where it was.
    }
}

// --- file list ---

void ListeFichiers::setPath(const QString& chemin) {
    path_ = chemin;
    refresh();
}

void ListeFichiers::refresh() {
    noms_ = disque_.fichiers(path_);
    std::sort(noms_.begin(), noms_.end(),
              [](const QString& a, const QString& b) { return comparerTexte(a, b) < 0; });
    selection_.assign(noms_.size(), false);
    changer();
}

QString ListeFichiers::list(int i) const {
    return i >= 0 && i < noms_.size() ? noms_.at(i) : QString();
}

bool ListeFichiers::selected(int i) const {
    return i >= 0 && i < static_cast<int>(selection_.size()) && selection_[i];
}

void ListeFichiers::setSelected(int i, bool s) {
    if (i < 0 || i >= static_cast<int>(selection_.size()) || selection_[i] == s) return;
    selection_[i] = s;
    changer();
}

void ListeFichiers::activer(int i) {
    if (i < 0 || i >= noms_.size() || !enabled()) return;
    fileName_ = noms_.at(i);
    if (surDoubleClic) surDoubleClic();
}

} // namespace galvia
