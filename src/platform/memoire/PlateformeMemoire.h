// A platform without a screen, for tests: message boxes are recorded, input boxes
// answer from a script, the event pump runs a hook, modal windows run a scripted scene,
// and the work handed to the interface thread waits in a queue that the test runs.
#pragma once

#include "../Fenetre.h"
#include "../Plateforme.h"

#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
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
    // Queues the work for traiterEnvois.
    Envoi envoi() const override;
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
    // Runs the work handed to the interface thread, in order, on the calling thread:
    // what is queued (returns how many pieces ran); or until `fini()` holds (asked
    // before each piece), sleeping while the queue is empty, false when `limite`
    // passes first.
    int traiterEnvois();
    bool traiterEnvois(const std::function<bool()>& fini,
                       std::chrono::milliseconds limite = std::chrono::minutes(3));
    // Runs while a modal window is shown, after its load; the window is closed after
    // it unless the scene closed it.
    std::function<void(Fenetre&)> sceneModale;
    QSizeF ecran{1024 * 15.0, 768 * 15.0};
    bool termine = false;

private:
    struct File {
        std::mutex mutex;
        std::condition_variable cv;
        std::deque<std::function<void()>> travaux;
    };
    std::shared_ptr<File> envois_ = std::make_shared<File>();
};

} // namespace galvia
