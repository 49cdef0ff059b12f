#include "NomsImages.h"

#include "platform/Fichiers.h"
#include "platform/Texte.h"

#include <QCollator>
#include <vector>

namespace galvia {

QString extensionDe(const QString& nom) {
    const qsizetype point = nom.indexOf(QLatin1Char('.'));
    return point < 0 ? nom : nom.mid(point + 1);
}

bool estAffichable(const QString& nom) {
    static const QString extensions = QStringLiteral("*jpg*jpeg*gif*bmp*wmf*");
    return positionTexte(1, extensions, extensionDe(nom).toLower()) > 0;
}

ConstructeurListe::ConstructeurListe(QStringList& tab, std::int16_t& nbImages)
    : tab_(tab)
    , nb_(nbImages) {
    tab_.clear();
    tab_.resize(11);
    nb_ = 0;
}

void ConstructeurListe::proposer(const QString& nom) {
    fichierVu_ = true;
    if (estAffichable(nom)) ajouter(nom);
}

void ConstructeurListe::proposerDossier(const QString& dossier) {
    ListageDossier listage(dossier, ListageDossier::Normal);
    for (QString nom = listage.suivant(); !nom.isEmpty(); nom = listage.suivant())
        proposer(nom);
}

void ConstructeurListe::ajouter(const QString& nom) {
    if (nb_ + bloc_ >= MaxImages) {
        trop_ = true;
        return;
    }
    ++bloc_;
    tab_[nb_ + bloc_] = nom;
    if (bloc_ == 10) {
        nb_ = static_cast<std::int16_t>(nb_ + 10);
        bloc_ = 0;
        tab_.resize(nb_ + 11);
    }
}

void ConstructeurListe::terminerCompte() {
    nb_ = static_cast<std::int16_t>(nb_ + bloc_);
    bloc_ = 0;
}

void ConstructeurListe::ajusterTaille() {
    tab_.resize(nb_ + 1);
}

namespace {

struct Tri {
    QStringList& tab;
    std::vector<QCollatorSortKey> cles;
    int base;

    const QCollatorSortKey& cle(int i) const { return cles[static_cast<size_t>(i - base)]; }

    void echanger(int i, int j) {
        tab.swapItemsAt(i, j);
        std::swap(cles[static_cast<size_t>(i - base)], cles[static_cast<size_t>(j - base)]);
    }

    void trier(int premier, int dernier) {
        int i = premier, j = dernier;
        const int m = static_cast<int>(arrondiPair((i + j) / 2.0));
        const QCollatorSortKey pivot = cle(m);
        do {
            while (cle(i).compare(pivot) < 0)
                ++i;
            while (cle(j).compare(pivot) > 0)
                --j;
            if (i <= j) {
                echanger(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (premier < j) trier(premier, j);
        if (i < dernier) trier(i, dernier);
    }
};

} // namespace

void TriRapide(QStringList& tab, int premier, int dernier) {
    if (premier >= dernier || premier < 0 || dernier >= tab.size()) return;
    const QCollator& collateur = collateurTexte();
    Tri t{tab, {}, premier};
    t.cles.reserve(static_cast<size_t>(dernier) - static_cast<size_t>(premier) + 1);
    for (int i = premier; i <= dernier; ++i)
        t.cles.push_back(collateur.sortKey(tab.at(i)));
    t.trier(premier, dernier);
}

} // namespace galvia
