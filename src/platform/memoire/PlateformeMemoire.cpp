#include "PlateformeMemoire.h"

#include "../NomsOctets.h"

namespace galvia {

void PlateformeMemoire::MsgBox(const QString& texte, Icone icone, const QString& titre) {
    const BoiteEnCours ouverte(*this);
    messages.push_back({texteVisible(texte), icone,
                        titre.isEmpty() ? QString::fromLatin1(TitreProgramme) : titre});
    if (pendantMessage) pendantMessage(messages.back());
}

QString PlateformeMemoire::InputBox(const QString& invite, const QString& titre,
                                    const QString& defaut) {
    const BoiteEnCours ouverte(*this);
    saisies.push_back({texteVisible(invite), titre, texteVisible(defaut)});
    if (pendantSaisie) pendantSaisie(saisies.back());
    if (reponses.empty()) return {};
    QString r = reponses.front();
    reponses.pop_front();
    return r;
}

void PlateformeMemoire::DoEvents() {
    ++nbEvenements;
    if (pendantEvenements) pendantEvenements();
}

void PlateformeMemoire::attendre(const std::function<bool()>& fini) {
    ++nbAttentes;
    if (pendantAttente) pendantAttente();
    Plateforme::attendre(fini);
}

void PlateformeMemoire::afficherModal(Fenetre& fenetre, const std::function<void()>& charger) {
    charger();
    if (fenetre.ferme()) return;
    fenetre.activer();
    if (sceneModale) sceneModale(fenetre);
    fenetre.fermer();
}

} // namespace galvia
