// The viewer's own state, apart from its window: the position in the list and how it
// moves, the direction of travel, the view mode, the slideshow, and the pictures decoded
// ahead. It knows no control: the main window asks it what a command does, then draws.
#pragma once

#include "Commandes.h"
#include "platform/Plateforme.h"
#include "platform/decodage/Anticipation.h"
#include "state/Module1.h"

#include <QString>
#include <functional>

namespace galvia {

class PoolDecodage;

class Visionneuse {
public:
    Visionneuse(Plateforme& plateforme, Module1& etat, PoolDecodage& pool);

    // --- the position in the list ---
    // Carries out a command of the "A&tteindre" menu, asking for the number or the name
    // it needs; true when it moved the current entry (the picture is then to be loaded).
    // A list of one entry takes no command.
    bool Bouge(Atteindre commande);
    // The entry of Bas..Haut whose name starts with `Cle` (case ignored), or 0.
    int Dichot(int Bas, int Haut, const QString& Cle) const;
    // The text last searched for by name.
    const QString& texteCherche() const { return TexteCherche; }
    // A new list, shown from its first entry: nothing decoded for the old one applies, and
    // travel starts forwards.
    void nouvelleListe();

    // --- the view mode ---
    Mode mode() const { return etat.ModeVue; }
    // Browsing and the folder choice (both browsing for `ModeVue`) stop the slideshow and
    // drop the pictures decoded ahead; the two views keep them.
    void changerMode(Mode m);

    // --- the slideshow ---
    bool enMarche() const { return etat.SensDefile; }
    // +1 forwards, -1 backwards, 0 until a slideshow was first started.
    int sens() const { return etat.Vitesse; }
    // The timer's interval, in milliseconds.
    int intervalle() const { return intervalle_; }
    // Carries out a command of the "&Show" menu; true when the window has something to
    // show for it: a new interval, or the small-pictures rule turned. A list of one entry
    // takes no command.
    bool Defile(Show commande);
    // Starts the slideshow forwards (Show::Croissant) or backwards; the first step comes
    // with the next tick.
    void lancer(Show sens);
    void arreter() { etat.SensDefile = false; }
    // Pauses or resumes a slideshow started once; nothing before.
    void basculer();
    // One tick: true when the slideshow moved the current entry. While a box is open (a
    // prompt, or the failure box of a load) the list stays put.
    bool Enchaine();
    // Show pictures that fit in the window at their natural size.
    bool petitesImages() const { return PetitesImages; }

    // --- the pictures decoded ahead ---
    DecodageAnticipe& anticipation() { return anticipation_; }
    // The direction of travel: +1 forwards, -1 backwards.
    int sensParcours() const { return sensParcours_; }
    // How the pictures decoded ahead are stretched for the fitted view, as the window now
    // is; none is stretched without it.
    std::function<DecodageAnticipe::Apercu()> apercu;

    // Brackets a load of the current entry. A box left open by a failed load runs the
    // event loop: a tick or a key arriving then must not start another load, so a load
    // begun during another is refused (false). Its end decodes ahead the pictures next in
    // the direction of travel.
    bool commencerChargement();
    void finirChargement();

private:
    // Decodes ahead after a move of `pas` (see prevoirEntrees).
    void anticiper(int pas);

    Plateforme& plateforme;
    Module1& etat;
    QString TexteCherche;
    bool PetitesImages = true;
    int intervalle_ = 1024;
    bool enChargement_ = false;
    // The move that leads to the next load: +1 next, -1 previous, 0 a jump.
    int pas_ = 0;
    int sensParcours_ = 1;
    DecodageAnticipe anticipation_;
};

} // namespace galvia
