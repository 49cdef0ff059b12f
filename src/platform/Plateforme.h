// The services of the desktop that Galvia's window logic uses, behind one interface:
// the Qt implementation runs the real program, the in-memory one runs the tests.
#pragma once

#include "Disque.h"

#include <QSizeF>
#include <QString>
#include <functional>

namespace galvia {

class Fenetre;

enum class Icone { Aucune, Critique, Information };

// The program's own title, shown by a message box given none.
inline constexpr char TitreProgramme[] = "Galvia";

// Line break of the program's texts.
inline const QString CRLF = QStringLiteral("\r\n");

class Plateforme {
public:
    virtual ~Plateforme() = default;

    // Modal message box with one OK button. An empty title shows "Galvia".
    virtual void MsgBox(const QString& texte, Icone icone, const QString& titre = {}) = 0;

    // Modal input box; returns the text as typed, or an empty text when cancelled.
    virtual QString InputBox(const QString& invite, const QString& titre,
                             const QString& defaut = {}) = 0;

    // Runs the pending window events once.
    virtual void DoEvents() = 0;

    // Hands work to the interface thread from any thread: each piece handed runs there
    // later, once the window events already waiting have run, in the order handed. The
    // channel does not depend on the platform object: a worker may keep it and use it
    // after the platform is gone, until the application object ends.
    using Envoi = std::function<void(std::function<void()>)>;
    virtual Envoi envoi() const = 0;

    // Screen size, in twips.
    virtual QSizeF ecranTwips() const = 0;

    // Shows `fenetre` modally: `charger` runs once its view exists, before it is shown
    // (the window's load event); returns when the window has been closed.
    virtual void afficherModal(Fenetre& fenetre, const std::function<void()>& charger) = 0;

    // The file system the browsing lists show: the machine's, unless a test gives
    // another.
    virtual Disque& disque() { return disqueSysteme(); }

    // Thickness of a scroll bar, in screen pixels.
    virtual int epaisseurAscenseur() const { return 16; }

    // Ends the program at once, closing every window.
    virtual void terminer() = 0;

    // True while a message or input box is open.
    bool boiteOuverte() const { return boites_ > 0; }

protected:
    // Marks a box as open for its lifetime.
    class BoiteEnCours {
    public:
        explicit BoiteEnCours(Plateforme& p)
            : p_(p) {
            ++p_.boites_;
        }
        ~BoiteEnCours() { --p_.boites_; }
        BoiteEnCours(const BoiteEnCours&) = delete;
        BoiteEnCours& operator=(const BoiteEnCours&) = delete;

    private:
        Plateforme& p_;
    };

private:
    int boites_ = 0;
};

} // namespace galvia
