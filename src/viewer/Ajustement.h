// Fitting a picture into the main window: the natural-size view with its scroll bars,
// and the fitted view.
#pragma once

namespace galvia {

struct Fenetrage {
    int largeur;          // LargeurFenetre: inner width, pixels
    int hauteur;          // HauteurFenetre: inner height
    int largeurAscenseur; // width of the vertical bar
    int hauteurAscenseur; // height of the horizontal bar
};

struct Ajustement {
    bool tropLarge = false; // the picture is wider than the width less the vertical bar
    bool tropHaut = false;  // higher than the height less the horizontal bar
    int visibleL = 0;       // visible extent of the natural-size view
    int visibleH = 0;
    // Scroll ranges: maximum, large and small steps of each bar.
    int horizMax = 0, horizGrand = 0, horizPetit = 0;
    int verticMax = 0, verticGrand = 0, verticPetit = 0;
    // Fitted view: size and position (halves kept).
    int ajusteL = 0, ajusteH = 0;
    double ajusteGauche = 0, ajusteHaut = 0;
};

// The natural-size extent, the scroll ranges and the fitted view of a w x h picture.
// A picture that fits keeps its natural size in the fitted view when `petitesImages`
// is set; otherwise it is enlarged to the window like any other. Sizes round half to
// even. Throws error 6 for a zero side or a result beyond 16 bits.
Ajustement calculerAjustement(int w, int h, const Fenetrage& f, bool petitesImages);

} // namespace galvia
