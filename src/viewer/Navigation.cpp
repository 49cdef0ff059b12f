// Moving through the list and the slideshow: the menus' handlers, on the viewer's state.
#include "Form1.h"

#include "platform/Texte.h"

namespace galvia {

void Form1::Bouge_Click(Atteindre c) {
    if (vue.Bouge(c)) ChargeImage();
}

void Form1::Defile_Click(Show c) {
    if (!vue.Defile(c)) return;
    if (c == Show::PetitesImages) {
        Defile[Show::PetitesImages]->setChecked(vue.petitesImages());
        ChargeImage();
    } else {
        afficherVitesse();
    }
}

void Form1::Timer1_Timer() {
    if (vue.Enchaine()) ChargeImage();
}

void Form1::afficherVitesse() {
    Timer1.setInterval(vue.intervalle());
    const QString facteur = texteNombre(1024.0 / Timer1.interval());
    Defile[Show::VitesseDouble]->setCaption(QStringLiteral("&Vitesse Double (%1)").arg(facteur));
    Defile[Show::VitesseMoitie]->setCaption(QStringLiteral("Vitesse &Moitié (%1)").arg(facteur));
}

} // namespace galvia
