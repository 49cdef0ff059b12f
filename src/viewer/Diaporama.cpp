// The timed slideshow and its speed.
#include "Form1.h"
#include "Positions.h"

#include "platform/Texte.h"

namespace galvia {

namespace {

// The timer's interval stays within what a 16-bit unsigned count of milliseconds holds.
constexpr double IntervalleMin = 1;
constexpr double IntervalleMax = 65535;

} // namespace

void Form1::changerVitesse(double intervalle) {
    if (intervalle < IntervalleMin || intervalle > IntervalleMax) return;
    Timer1.setInterval(static_cast<int>(intervalle));
    const QString facteur = texteNombre(1024.0 / Timer1.interval());
    Defile[Show::VitesseDouble]->setCaption(QStringLiteral("&Vitesse Double (%1)").arg(facteur));
    Defile[Show::VitesseMoitie]->setCaption(QStringLiteral("Vitesse &Moitié (%1)").arg(facteur));
}

void Form1::Defile_Click(int Index) {
    if (etat.NbImages == 1) return;
    const Show commande = static_cast<Show>(Index);
    switch (commande) {
    case Show::Croissant:
    case Show::Decroissant:
        etat.SensDefile = Vrai;
        etat.Vitesse = commande == Show::Croissant ? 1 : -1;
        anticiper(etat.Vitesse); // the first step comes with the next tick
        break;
    case Show::Stop:
        etat.SensDefile = Faux;
        break;
    case Show::VitesseDouble:
        if (etat.SensDefile != Faux) changerVitesse(arrondiPair(Timer1.interval() / 2.0));
        break;
    case Show::VitesseMoitie:
        if (etat.SensDefile != Faux) changerVitesse(Timer1.interval() * 2.0);
        break;
    case Show::PetitesImages:
        // The rule changes the fitting only, not the decode: what is decoded ahead stays.
        PetitesImages = !PetitesImages;
        Defile[Show::PetitesImages]->setChecked(PetitesImages);
        ChargeImage();
        break;
    default: // any other index does nothing
        break;
    }
}

void Form1::Timer1_Timer() {
    Enchaine();
}

void Form1::Enchaine() {
    // While a box is open (a prompt, or the failure box of a load) the list stays put.
    if (etat.SensDefile == Faux || plateforme.boiteOuverte()) return;
    etat.NumImage = static_cast<std::int16_t>(boucler(etat.NumImage + etat.Vitesse, etat.NbImages));
    pas_ = etat.Vitesse;
    ChargeImage();
}

} // namespace galvia
