// A platform without a screen, for tests: message boxes are recorded, input boxes
// answer from a script, the event pump runs a hook, modal windows run a scripted scene.
#pragma once

#include "../Fenetre.h"
#include "../Plateforme.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace galvia {

// Boxes are recorded with their texts as the user reads them (texteVisible).
struct BoiteMessage {
    QString texte;
    Icone icone;
    QString titre; // as shown: "Galvia" when none was given
};

struct BoiteSaisie {
    QString invite;
    QString titre;
    QString defaut;
};

class PlateformeMemoire : public Plateforme {
public:
    void MsgBox(const QString& texte, Icone icone, const QString& titre = {}) override;
    QString InputBox(const QString& invite, const QString& titre,
                     const QString& defaut = {}) override;
    void DoEvents() override;
    // Runs `pendantAttente`, then waits for real (a worker wakes the wait).
    void attendre(const std::function<bool()>& fini) override;
    QSizeF ecranTwips() const override { return ecran; }
    void afficherModal(Fenetre& fenetre, const std::function<void()>& charger) override;
    void terminer() override { termine = true; }

    // Recorded boxes, oldest first.
    std::vector<BoiteMessage> messages;
    std::vector<BoiteSaisie> saisies;
    // Answers of the next input boxes; an empty queue answers "" (cancel).
    std::deque<QString> reponses;
    // Runs while a message box is open (the box is recorded first).
    std::function<void(const BoiteMessage&)> pendantMessage;
    // Runs while an input box is open (the box is recorded first).
    std::function<void(const BoiteSaisie&)> pendantSaisie;
    // Runs at each turn of the event pump.
    std::function<void()> pendantEvenements;
    int nbEvenements = 0;
    // Runs at the start of each wait of the interface thread on a worker.
    std::function<void()> pendantAttente;
    int nbAttentes = 0;
    // Runs while a modal window is shown, after its load; the window is closed after
    // it unless the scene closed it.
    std::function<void(Fenetre&)> sceneModale;
    QSizeF ecran{1024 * 15.0, 768 * 15.0};
    bool termine = false;
};

} // namespace galvia
