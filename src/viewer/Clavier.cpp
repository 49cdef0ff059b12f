// The viewer's keys, seen by the window before the control that has the focus.
#include "Form1.h"

#include "platform/Touches.h"

namespace galvia {

void Form1::Form_KeyDown(int KeyCode, int) {
    if (etat.ModeVue == 0) return;
    switch (KeyCode) {
    case touche::Espace:
        // Pause or resume, once a slideshow has been started.
        if (etat.Vitesse != 0) etat.SensDefile = static_cast<std::int16_t>(~etat.SensDefile);
        break;
    case touche::PageHaut:
        Bouge_Click(3);
        break;
    case touche::PageBas:
        Bouge_Click(2);
        break;
    case touche::Fin:
        Bouge_Click(9);
        break;
    case touche::Debut:
        Bouge_Click(4);
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
        etat.SensDefile = Vrai;
        etat.Vitesse = 1;
        break;
    case touche::Suppr:
        etat.SensDefile = Faux;
        break;
    case touche::PavePlus:
        Environ(etat.ModeVue == 1 ? 2 : 1);
        break;
    default:
        // Digits 1 to 4, top row or keypad: the fifths of the list.
        for (const int zero : {touche::Chiffre0, touche::PaveChiffre0})
            if (KeyCode >= zero + 1 && KeyCode <= zero + 4) Bouge_Click(KeyCode - zero + 4);
        break;
    }
}

} // namespace galvia
