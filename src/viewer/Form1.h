// The main window of Galvia: browsing a drive and a folder, building the image list,
// and viewing its pictures fitted or at natural size. The window is a set of plain
// controls (platform layer); every rule of the viewer lives here, without a widget.
#pragma once

#include "Commandes.h"
#include "Visionneuse.h"
#include "platform/Controles.h"
#include "platform/Fenetre.h"
#include "platform/Plateforme.h"
#include "state/Module1.h"

#include <QString>
#include <array>
#include <cstdint>

namespace galvia {

class ConstructeurListe;
struct Erreur;
struct Progression;

class Form1 {
public:
    Form1(Plateforme& plateforme, Module1& etat);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

private:
    Plateforme& plateforme;
    Module1& etat;

public:
    // The window: what a view shows and binds, the controls through its list of controls.
    Fenetre fenetre{QStringLiteral("Form1")};

    void Form_Load();

private:
    // The test suite drives the controls and reads the variables below.
    friend struct AccesForm1;

    // The viewer's state: position, direction of travel, mode, slideshow, decodes ahead.
    Visionneuse vue;

    // --- start-up and modes ---
    void Form_KeyDown(int KeyCode, int Shift);
    void Environ(Mode m);
    void Fin_Click();
    // The window system gave the window another inner size than the one measured at
    // load (a title bar it draws), or the user resized it.
    void Form_Resize();
    void Form_MouseMove();
    void Horiz_GotFocus();
    void Vertic_GotFocus();

    // --- display ---
    void ChargeImage();
    void Horiz_Change();
    void Vertic_Change();
    void Image1_Click();
    void Image2_Click();

    // --- folder browsing and list building ---
    void affTout_Click();
    void affAutre_Click();
    void affSelect_Click();
    void Fichier_DblClick();
    void Lecteur_Change();
    void Dossier_Change();
    void Fichier_MouseMove();
    void Dossier_MouseMove();

    // --- multi-folder selection ---
    void AutreDossier_Click();
    void Dossier_Click();
    void Dossier_KeyDown(int KeyCode, int Shift);
    void ListeDos_DblClick();
    void ListeDos_MouseMove();

    // --- navigation and slideshow ---
    void Bouge_Click(Atteindre c);
    void Defile_Click(Show c);
    void Timer1_Timer();

    // --- renaming, information, help, slide sheet ---
    void Renomme_Click();
    void menNom_Click();
    void menAide_Click();
    void diapShow_Click();

    // --- the controls ---
    Cadre Debut{fenetre, QStringLiteral("Debut")};
    ListeFichiers Fichier{fenetre, QStringLiteral("Fichier"), plateforme.disque(), &Debut};
    ListeLecteurs Lecteur{fenetre, QStringLiteral("Lecteur"), &Debut};
    ListeDossiers Dossier{fenetre, QStringLiteral("Dossier"), plateforme.disque(), &Debut};
    Etiquette ListeDos{fenetre, QStringLiteral("ListeDos")};
    ControleImage ChatRex{fenetre, QStringLiteral("ChatRex")};
    BoiteImage Image0{fenetre, QStringLiteral("Image0")};
    BoiteImage Image1{fenetre, QStringLiteral("Image1"), &Image0};
    ControleImage Image2{fenetre, QStringLiteral("Image2")};
    BarreDefilement Horiz{fenetre, QStringLiteral("Horiz"), false};
    BarreDefilement Vertic{fenetre, QStringLiteral("Vertic"), true};
    Minuterie& Timer1;

    // Menus.
    ElementMenu& menFich;
    ElementMenu& affTout;
    ElementMenu& affSelect;
    ElementMenu& AutreDossier;
    ElementMenu& Renomme;
    ElementMenu& affAutre;
    ElementMenu& Fin;
    ElementMenu& menAtt;
    MenuCommandes<Atteindre, 10> Bouge;
    ElementMenu& menShow;
    MenuCommandes<Show, 6> Defile;
    ElementMenu& diapShow;
    ElementMenu& menAide;
    ElementMenu& menNom;
    ElementMenu& menCompte;

    // --- the main window's own variables ---
    std::int16_t LargeurFenetre = 0;
    std::int16_t HauteurFenetre = 0;
    std::int16_t LargeurAscenseur = 0;
    std::int16_t HauteurAscenseur = 0;
    // The fixed start folder: ~/Vordane/Images/Femmes/.
    QString DossierDepart;

    // Builds the image list from the chosen folders, one after the other.
    void ChargeDossiers();
    // Shows the slideshow's interval: the timer, and the speed factor (1024 / interval)
    // in both speed commands.
    void afficherVitesse();
    // How a slide sheet opened over this window reports its progress.
    Progression progressionFeuille();
    // Checks a new name for the current file, telling the user why it is refused or what
    // it changes; true when it may be used.
    bool ValidRen(const QString& Nom);
    void construireMenus();
    void relier();
    // Ends the scan of a list build: on a refusal (no file, no displayable file, too
    // many) shows it with the critical icon and the title "Attention", leaves the list
    // empty and returns false; otherwise trims the list and returns true.
    bool accepterListe(ConstructeurListe& liste, const QString& vide, const QString& aucun);
    // Ends a successful list build: sort (unless told not to), show the first image and
    // switch to the fitted view.
    void terminerListe(bool trier);
    // The failure box of a file: "Erreur : n - description", then "Sur le fichier : "
    // and the current full name.
    QString texteEchec(const Erreur& e) const;
    // Lays a picture out in both views for the window's size: the natural-size picture
    // and its scroll bars, the fitted one's box (`apercu`: its stretch, when made ahead).
    void disposer(ImageAffichee image, QImage apercu = {});
    // How the pictures decoded ahead are stretched for the fitted view, as it now is.
    DecodageAnticipe::Apercu apercu() const;
};

} // namespace galvia
