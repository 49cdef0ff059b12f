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

Plateforme::Envoi PlateformeMemoire::envoi() const {
    return [file = envois_](std::function<void()> travail) {
        const std::lock_guard verrou(file->mutex);
        file->travaux.push_back(std::move(travail));
        file->cv.notify_all();
    };
}

int PlateformeMemoire::traiterEnvois() {
    for (int n = 0;; ++n) {
        std::function<void()> travail;
        {
            const std::lock_guard verrou(envois_->mutex);
            if (envois_->travaux.empty()) return n;
            travail = std::move(envois_->travaux.front());
            envois_->travaux.pop_front();
        }
        travail();
    }
}

bool PlateformeMemoire::traiterEnvois(const std::function<bool()>& fini,
                                      std::chrono::milliseconds limite) {
    const auto fin = std::chrono::steady_clock::now() + limite;
    while (!fini()) {
        std::function<void()> travail;
        {
            std::unique_lock verrou(envois_->mutex);
            if (!envois_->cv.wait_until(verrou, fin, [this] { return !envois_->travaux.empty(); }))
                return false;
            travail = std::move(envois_->travaux.front());
            envois_->travaux.pop_front();
        }
        travail();
    }
    return true;
}

void PlateformeMemoire::afficherModal(Fenetre& fenetre, const std::function<void()>& charger) {
    charger();
    if (fenetre.ferme()) return;
    fenetre.activer();
    if (sceneModale) sceneModale(fenetre);
    fenetre.fermer();
}

} // namespace galvia
