#include "Ajustement.h"

#include "platform/Erreurs.h"
#include "platform/Texte.h"

namespace galvia {

Ajustement calculerAjustement(int w, int h, const Fenetrage& f, bool petitesImages) {
    if (w <= 0 || h <= 0) throw Erreur(ErrDepassement);
    const int lf = f.largeur, hf = f.hauteur, la = f.largeurAscenseur, ha = f.hauteurAscenseur;
    Ajustement a;
    a.tropLarge = w > lf - la;
    a.tropHaut = h > hf - ha;
    if (a.tropLarge && a.tropHaut) {
        a.visibleL = lf - la;
        a.visibleH = hf - ha;
    } else if (a.tropLarge) {
        a.visibleL = lf;
        a.visibleH = h;
    } else if (a.tropHaut) {
        a.visibleL = w;
        a.visibleH = hf;
    } else {
        a.visibleL = w;
        a.visibleH = h;
    }
    a.horizMax = vers16(static_cast<long long>(w) - a.visibleL);
    a.horizGrand = a.visibleL;
    a.horizPetit = vers16(static_cast<long long>(arrondiPair(a.visibleL / 3.0)));
    a.verticMax = vers16(static_cast<long long>(h) - a.visibleH);
    a.verticGrand = a.visibleH;
    a.verticPetit = vers16(static_cast<long long>(arrondiPair(a.visibleH / 3.0)));

    const double r = static_cast<double>(w) / h;
    const double rw = static_cast<double>(w) / lf;
    const double rh = static_cast<double>(h) / hf;
    if (rw > rh) {
        a.ajusteL = lf;
        a.ajusteH = vers16(static_cast<long long>(arrondiPair(lf / r)));
    } else {
        a.ajusteH = hf;
        a.ajusteL = vers16(static_cast<long long>(arrondiPair(hf * r)));
    }
    if (!a.tropLarge && !a.tropHaut && petitesImages) {
        a.ajusteL = w;
        a.ajusteH = h;
    }
    a.ajusteGauche = (lf - a.ajusteL) / 2.0;
    a.ajusteHaut = (hf - a.ajusteH) / 2.0;
    return a;
}

} // namespace galvia
