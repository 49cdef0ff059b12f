// The viewer's keys, seen by the window before the control that has the focus.
#include "Form1.h"

#include "platform/Touches.h"

#include <array>

namespace galvia {

namespace {

// The commands of the digits 1 to 4.
constexpr std::array Cinquiemes{Atteindre::UnCinquieme, Atteindre::DeuxCinquiemes,
                                Atteindre::TroisCinquiemes, Atteindre::QuatreCinquiemes};

} // namespace

void Form1::Form_KeyDown(int KeyCode, int) {
    if (vue.mode() == Mode::Navigation) return;
    switch (KeyCode) {
    case touche::Espace:
        vue.basculer();
        break;
    case touche::PageHaut:
        Bouge_Click(Atteindre::Precedente);
        break;
    case touche::PageBas:
        Bouge_Click(Atteindre::Suivante);
        break;
    case touche::Fin:
        Bouge_Click(Atteindre::Derniere);
        break;
    case touche::Debut:
        Bouge_Click(Atteindre::Premiere);
        break;
    case touche::Gauche:
        Horiz.setValue(Horiz.min());
        break;
    case touche::Haut:
        Vertic.setValue(Vertic.min());
        break;
    case touche::Droite:
        Horiz.setValue(Horiz.max());
        break;
    case touche::Bas:
        Vertic.setValue(Vertic.max());
        break;
    case touche::Inser:
        vue.lancer(Show::Croissant);
        break;
    case touche::Suppr:
        vue.arreter();
        break;
    case touche::PavePlus:
        Environ(vue.mode() == Mode::TailleReelle ? Mode::Ajustee : Mode::TailleReelle);
        break;
    default:
        // Digits 1 to 4, top row or keypad: the fifths of the list.
        for (const int zero : {touche::Chiffre0, touche::PaveChiffre0}) {
            const int chiffre = KeyCode - zero;
            if (chiffre >= 1 && chiffre <= 4) Bouge_Click(Cinquiemes[chiffre - 1]);
        }
        break;
    }
}

} // namespace galvia
