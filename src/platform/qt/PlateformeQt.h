// The real desktop behind Galvia's window logic: Qt message and input boxes, the Qt
// event loop, the screen, modal windows.
#pragma once

#include "../Plateforme.h"

class QWidget;

namespace galvia {

class PlateformeQt : public Plateforme {
public:
    void MsgBox(const QString& texte, Icone icone, const QString& titre = {}) override;
    QString InputBox(const QString& invite, const QString& titre,
                     const QString& defaut = {}) override;
    void DoEvents() override;
    QSizeF ecranTwips() const override;
    void afficherModal(Fenetre& fenetre, const std::function<void()>& charger) override;
    int epaisseurAscenseur() const override;
    void terminer() override;
};

// The text a widget is given for a text of the program: names read as the user sees
// them (texteVisible), and the program's CR LF as the "\n" Qt shows. Every text that
// goes into a widget goes through it, and every widget shows it as plain text.
QString texteAffiche(const QString& texte);

} // namespace galvia
