#include "Visionneuse.h"
#include "Positions.h"

#include "platform/Texte.h"

#include <utility>

namespace galvia {

namespace {

// The timer's interval stays within what a 16-bit unsigned count of milliseconds holds.
constexpr double IntervalleMin = 1;
constexpr double IntervalleMax = 65535;

} // namespace

Visionneuse::Visionneuse(Plateforme& plateforme_, Module1& etat_, PoolDecodage& pool)
    : plateforme(plateforme_)
    , etat(etat_)
    , anticipation_(pool) {}

bool Visionneuse::Bouge(Atteindre commande) {
    if (etat.NbImages == 1) return false;
    const int nb = etat.NbImages;
    int cible = etat.NumImage;
    switch (commande) {
    case Atteindre::Nom: {
        TexteCherche = plateforme.InputBox(QStringLiteral("Donnez un nom ou quelques lettres"),
                                           QStringLiteral("Recherche d'une image"));
        if (TexteCherche.isEmpty()) return false;
        cible = Dichot(1, nb, TexteCherche);
        if (cible == 0) {
            plateforme.MsgBox(QStringLiteral("Non trouvé : ") + TexteCherche, Icone::Information,
                              QStringLiteral("Recherche"));
            return false;
        }
        break;
    }
    case Atteindre::Numero: {
        const auto numero = texteVers16(
            plateforme.InputBox(QStringLiteral("Donnez un nombre entre 1 et %1").arg(nb),
                                QStringLiteral("Numéro de l'image")));
        // Empty, cancelled, not a number or out of range: nothing changes, silently.
        if (!numero || *numero < 1 || *numero > nb) return false;
        cible = *numero;
        break;
    }
    case Atteindre::Suivante:
        ++cible;
        break;
    case Atteindre::Precedente:
        --cible;
        break;
    case Atteindre::Premiere:
        cible = 1;
        break;
    case Atteindre::Derniere:
        cible = nb;
        break;
    case Atteindre::UnCinquieme:
    case Atteindre::DeuxCinquiemes:
    case Atteindre::TroisCinquiemes:
    case Atteindre::QuatreCinquiemes:
        cible = cinquieme(static_cast<int>(commande) - static_cast<int>(Atteindre::Premiere), nb);
        break;
    }
    cible = boucler(cible, nb);
    if (cible == etat.NumImage) return false;
    etat.NumImage = static_cast<std::int16_t>(cible);
    // A step gives the direction of travel; a jump keeps it.
    pas_ = commande == Atteindre::Suivante ? 1 : commande == Atteindre::Precedente ? -1 : 0;
    return true;
}

int Visionneuse::Dichot(int Bas, int Haut, const QString& Cle) const {
    if (Bas > Haut) return 0;
    const int m = (Bas + Haut) / 2; // both are >= 0: the lower middle
    const QString sonde = etat.TabImages.value(m).left(Cle.size());
    const int ordre = comparerTexte(Cle, sonde);
    if (ordre > 0) return Dichot(m + 1, Haut, Cle);
    if (ordre < 0) return Dichot(Bas, m - 1, Cle);
    return m;
}

void Visionneuse::nouvelleListe() {
    anticipation_.oublier();
    sensParcours_ = 1;
    etat.NumImage = 1;
}

void Visionneuse::changerMode(Mode m) {
    if (m == Mode::Navigation || m == Mode::ChoixDossiers) {
        etat.ModeVue = Mode::Navigation;
        etat.SensDefile = false;
        anticipation_.oublier(); // no picture shown: nothing to move on to
    } else {
        etat.ModeVue = m;
    }
}

bool Visionneuse::Defile(Show commande) {
    if (etat.NbImages == 1) return false;
    double nouvel = 0;
    switch (commande) {
    case Show::Croissant:
    case Show::Decroissant:
        lancer(commande);
        return false;
    case Show::Stop:
        arreter();
        return false;
    case Show::VitesseDouble:
        nouvel = arrondiPair(intervalle_ / 2.0);
        break;
    case Show::VitesseMoitie:
        nouvel = intervalle_ * 2.0;
        break;
    case Show::PetitesImages:
        // The rule changes the fitting only, not the decode: what is decoded ahead stays.
        PetitesImages = !PetitesImages;
        return true;
    }
    if (!etat.SensDefile || nouvel < IntervalleMin || nouvel > IntervalleMax) return false;
    intervalle_ = static_cast<int>(nouvel);
    return true;
}

void Visionneuse::lancer(Show sens) {
    etat.SensDefile = true;
    etat.Vitesse = sens == Show::Decroissant ? -1 : 1;
    anticiper(etat.Vitesse);
}

void Visionneuse::basculer() {
    if (etat.Vitesse != 0) etat.SensDefile = !etat.SensDefile;
    if (etat.SensDefile) anticiper(etat.Vitesse);
}

bool Visionneuse::Enchaine() {
    if (!etat.SensDefile || plateforme.boiteOuverte()) return false;
    etat.NumImage = static_cast<std::int16_t>(boucler(etat.NumImage + etat.Vitesse, etat.NbImages));
    pas_ = etat.Vitesse;
    return true;
}

bool Visionneuse::commencerChargement() {
    if (enChargement_) {
        pas_ = 0;
        return false;
    }
    enChargement_ = true;
    return true;
}

void Visionneuse::finirChargement() {
    enChargement_ = false;
    anticiper(std::exchange(pas_, 0));
}

void Visionneuse::anticiper(int pas) {
    // Two pictures ahead: during a quick run of keys both workers decode at once.
    constexpr int Combien = 2;
    const Prevision p = prevoirEntrees(etat.NumImage, etat.NbImages, pas, sensParcours_, Combien);
    sensParcours_ = p.sens;
    QStringList chemins;
    for (const int e : p.entrees)
        chemins.append(etat.fichierDeEntree(e));
    anticipation_.prevoir(chemins, apercu ? apercu() : DecodageAnticipe::Apercu());
}

} // namespace galvia
