// The geometry of the slide sheet as pure functions: the grid of 60 square cells, the
// place of a thumbnail in its cell, the page a request starts at, and the scroll ranges
// of the full-size view. Every length is in twips.
#pragma once

#include <QSize>
#include <QSizeF>

namespace galvia {

// Cells per row and per page, and the top of the grid.
inline constexpr int CasesParLigne = 10;
inline constexpr int CasesParPage = 60;
inline constexpr int HautGrille = 360;
inline constexpr int MargeGrille = 60;
// Height of a file name label.
inline constexpr int HauteurTexte = 180;
// Largest scroll-bar value (16-bit).
inline constexpr int MaxDefilement = 32767;

struct Grille {
    int LargeurCase = 0;
    int HauteurCase = 0;
    double PasColonne = 0; // column step, also the distance from a cell's top to its label
    double PasLigne = 0;   // row step
};

// The grid of a sheet whose inner width is `largeurFeuille`, with labels `hauteurTexte`
// high: square cells of a tenth of the width less the margins, rounded half to even.
Grille calculerGrille(int largeurFeuille, double hauteurTexte);

// Left and top of cell k (reading order, 10 a row).
int gaucheCase(int k, const Grille& g);
int hautCase(int k, const Grille& g);

// Outer size of a picture box with a one-pixel border showing a picture of `naturelle`
// pixels.
QSizeF tailleBordee(QSize naturelle);

// A thumbnail's box: the picture's proportions, touching its cell on the longer side,
// centred in the cell. Left and top stay unrounded.
struct Vignette {
    double left = 0, top = 0, width = 0, height = 0;
};
Vignette placerVignette(QSizeF image, int gauche, int haut, const Grille& g);

// The list position of cell 0 for a request starting at `depart` (0-based): not below
// 0, and a request beyond the list shows its last full page.
int premiereDiapo(double depart, int nbImages);

// The number of the last image of a page starting at `premiere`.
int dernierNumero(int premiere, int nbImages);

// The sheet's views, as numbered by its `Environ`: the thumbnails, or one picture at
// full size that fits, is taller than the sheet (vertical bar), wider (horizontal bar),
// or both.
enum class VuePleine : int {
    Vignettes = 0,
    Entiere = 1,
    PlusHaute = 2,
    PlusLarge = 3,
    PlusGrande = 4,
};

// The full-size view of a picture of `image` twips (border included) in a sheet of
// `largeur` x `hauteur`: which of the four full views, and each scroll bar's maximum and
// step. An overflow beyond 32767 twips gets the maximum 32767, and the
// bar then scrolls proportionally (see decalage).
struct VueReelle {
    VuePleine mode = VuePleine::Entiere;
    int verticMax = 0, verticPas = 0;
    int horizMax = 0, horizPas = 0;
    double depassementV = 0, depassementH = 0; // the parts that do not fit
};
VueReelle calculerVueReelle(QSizeF image, int largeur, int hauteur);

// The offset of the picture for a scroll value: the value itself, or its share of an
// overflow too large for the bar's range.
double decalage(int valeur, int max, double depassement);

} // namespace galvia
