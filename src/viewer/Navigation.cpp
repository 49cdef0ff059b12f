// Moving through the list: next, previous, ends, fifths, a number, a name.
#include "Form1.h"
#include "Positions.h"

#include "platform/Texte.h"

namespace galvia {

void Form1::Bouge_Click(int Index) {
    if (etat.NbImages == 1 || Index < 0 || Index >= Bouge.size()) return;
    const int nb = etat.NbImages;
    int cible = etat.NumImage;
    const Atteindre commande = static_cast<Atteindre>(Index);
    switch (commande) {
    case Atteindre::Nom: {
        TexteCherche = plateforme.InputBox(QStringLiteral("Donnez un nom ou quelques lettres"),
                                           QStringLiteral("Recherche d'une image"));
        if (TexteCherche.isEmpty()) return;
        cible = Dichot(1, nb, TexteCherche);
        if (cible == 0) {
            plateforme.MsgBox(QStringLiteral("Non trouvé : ") + TexteCherche, Icone::Information,
                              QStringLiteral("Recherche"));
            return;
        }
        break;
    }
    case Atteindre::Numero: {
        const auto numero = texteVers16(
            plateforme.InputBox(QStringLiteral("Donnez un nombre entre 1 et %1").arg(nb),
                                QStringLiteral("Numéro de l'image")));
        // Empty, cancelled, not a number or out of range: nothing changes, silently.
        if (!numero || *numero < 1 || *numero > nb) return;
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
        cible = cinquieme(Index - static_cast<int>(Atteindre::Premiere), nb);
        break;
    }
    cible = boucler(cible, nb);
    if (cible == etat.NumImage) return;
    etat.NumImage = static_cast<std::int16_t>(cible);
    // A step gives the direction of travel; a jump keeps it.
    pas_ = commande == Atteindre::Suivante ? 1 : commande == Atteindre::Precedente ? -1 : 0;
    ChargeImage();
}

int Form1::Dichot(int Bas, int Haut, const QString& Cle) const {
    if (Bas > Haut) return 0;
    const int m = (Bas + Haut) / 2; // both are >= 0: the lower middle
    const QString sonde = etat.TabImages.value(m).left(Cle.size());
    const int ordre = comparerTexte(Cle, sonde);
    if (ordre > 0) return Dichot(m + 1, Haut, Cle);
    if (ordre < 0) return Dichot(Bas, m - 1, Cle);
    return m;
}

} // namespace galvia
