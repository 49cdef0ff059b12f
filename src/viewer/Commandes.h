// The main window's command families. Each value is the index of its item in the menu
// array and the index the array's click handler receives (Bouge_Click(Index),
// Defile_Click(Index)): the enums name those numbers, they do not renumber them.
#pragma once

#include "platform/Controles.h"

#include <cstddef>

namespace galvia {

// The "A&tteindre" menu, `Bouge(0)` to `Bouge(9)`: where to move in the image list.
enum class Atteindre : int {
    Nom = 0,         // the first name starting with the letters asked for
    Numero = 1,      // the number asked for
    Suivante = 2,    // next, wrapping at the end
    Precedente = 3,  // previous, wrapping at the start
    Premiere = 4,    // first
    UnCinquieme = 5, // one fifth of the list, then two, three, four fifths
    DeuxCinquiemes = 6,
    TroisCinquiemes = 7,
    QuatreCinquiemes = 8,
    Derniere = 9, // last
};

// The "&Show" menu, `Defile(0)` to `Defile(5)`: the slideshow and the small-pictures rule.
enum class Show : int {
    Croissant = 0,     // run forwards
    Decroissant = 1,   // run backwards
    Stop = 2,          // stop, keeping the direction
    VitesseDouble = 3, // halve the interval while running
    VitesseMoitie = 4, // double the interval while running
    PetitesImages = 5, // toggle showing small pictures at their natural size
};

// A menu-item array addressed by its command family, or by the bare index its click
// handler receives.
template <typename Commande, std::size_t N>
using MenuCommandes = ParCommande<ElementMenu*, Commande, N>;

} // namespace galvia
