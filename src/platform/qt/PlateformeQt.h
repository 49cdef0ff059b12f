// The real desktop behind Galvia's window logic: Qt message and input boxes, the Qt
// event loop, the screen, modal windows.
#pragma once

#include "../Plateforme.h"

#include <QPointer>
#include <QWidget>
#include <vector>

namespace galvia {

class PlateformeQt : public Plateforme {
public:
    void MsgBox(const QString& texte, Icone icone, const QString& titre = {}) override;
    QString InputBox(const QString& invite, const QString& titre,
                     const QString& defaut = {}) override;
    void DoEvents() override;
    // A queued call on the application object, which lives on the interface thread.
    Envoi envoi() const override;
    QSizeF ecranTwips() const override;
    void afficherModal(Fenetre& fenetre, const std::function<void()>& charger) override;
    int epaisseurAscenseur() const override;
    // Closes every window, the modal ones still loading included (a sheet filling its
    // first page stops at once), and ends the event loop.
    void terminer() override;

private:
    // The modal windows open or loading, innermost last.
    std::vector<Fenetre*> modales_;
};

// The text a widget is given for a text of the program: names read as the user sees
// them (texteVisible), and the program's CR LF as the "\n" Qt shows. Every text that
// goes into a widget goes through it, and every widget shows it as plain text.
QString texteAffiche(const QString& texte);

// Screen pixels per device-independent pixel of the screen Galvia's windows fill.
double densiteEcran();

// The window a box or a modal window opens over: the modal one on top, else the active
// one, else the last of Galvia's windows still shown.
QWidget* fenetreActive();

// Closing a modal box or window gives the keyboard back to the window that opened it,
// and there to the control that had the focus: the next key acts at once, as it would
// had the user never left the window. Lives for the box's lifetime.
class RetourFocus {
public:
    RetourFocus();
    ~RetourFocus();
    RetourFocus(const RetourFocus&) = delete;
    RetourFocus& operator=(const RetourFocus&) = delete;

private:
    QPointer<QWidget> fenetre_, focus_;
};

} // namespace galvia
