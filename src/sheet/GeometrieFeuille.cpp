#include "GeometrieFeuille.h"

#include "platform/Texte.h"

#include <algorithm>
#include <cmath>

namespace galvia {

namespace {
int arrondi(double v) {
    return static_cast<int>(arrondiPair(v));
}
} // namespace

Grille calculerGrille(int largeurFeuille, double hauteurTexte) {
    Grille g;
    g.LargeurCase = arrondi((largeurFeuille - 10.0 * MargeGrille) / CasesParLigne);
    g.HauteurCase = g.LargeurCase;
    // The row step is summed in single precision.
    g.PasLigne = static_cast<double>(static_cast<float>(g.HauteurCase) +
                                     static_cast<float>(hauteurTexte) + 60.0f);
    g.PasColonne = g.LargeurCase + 60.0;
    return g;
}

int gaucheCase(int k, const Grille& g) {
    return arrondi((k % CasesParLigne) * g.PasColonne + MargeGrille);
}

int hautCase(int k, const Grille& g) {
    const int ligne = k / CasesParLigne; // whole rows above the cell
    return arrondi(ligne * g.PasLigne + HautGrille);
}

QSizeF tailleBordee(QSize naturelle) {
    return {(naturelle.width() + 2) * 15.0, (naturelle.height() + 2) * 15.0};
}

Vignette placerVignette(QSizeF image, int gauche, int haut, const Grille& g) {
    const double r = image.width() / image.height();
    double w = g.LargeurCase, h = g.HauteurCase;
    if (r <= 1)
        w = arrondi(g.LargeurCase * r);
    else
        h = arrondi(g.HauteurCase / r);
    return {gauche + (g.LargeurCase - w) / 2, haut + (g.HauteurCase - h) / 2, w, h};
}

int premiereDiapo(double depart, int nbImages) {
    if (depart < 0) return 0;
    if (depart > nbImages) return std::max(0, nbImages - CasesParPage);
    return arrondi(depart);
}

int dernierNumero(int premiere, int nbImages) {
    return std::min(premiere + CasesParPage, nbImages);
}

namespace {
// Range and step of one bar for an overflow `depassement` and a window side `cote`.
void plage(double depassement, int cote, int& max, int& pas) {
    max = std::min(MaxDefilement, arrondi(depassement));
    pas = arrondi(cote / 2.0);
    if (depassement > MaxDefilement) pas = std::max(1, arrondi(pas * max / depassement));
}
} // namespace

VueReelle calculerVueReelle(QSizeF image, int largeur, int hauteur) {
    VueReelle v;
    const bool plusHaute = image.height() > hauteur;
    const bool plusLarge = image.width() > largeur;
    if (plusHaute && plusLarge)
        v.mode = VuePleine::PlusGrande;
    else if (plusHaute)
        v.mode = VuePleine::PlusHaute;
    else if (plusLarge)
        v.mode = VuePleine::PlusLarge;
    if (plusHaute) {
        v.depassementV = image.height() - hauteur;
        plage(v.depassementV, hauteur, v.verticMax, v.verticPas);
    }
    if (plusLarge) {
        v.depassementH = image.width() - largeur;
        plage(v.depassementH, largeur, v.horizMax, v.horizPas);
    }
    return v;
}

double decalage(int valeur, int max, double depassement) {
    if (max <= 0 || depassement <= max) return valeur;
    return valeur * depassement / max;
}

} // namespace galvia
