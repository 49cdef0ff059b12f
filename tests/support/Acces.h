// The test suite's way into the windows' controls, menus and own variables, which the
// program keeps private and reaches only through the handlers and the window's controls.
#pragma once

#include "sheet/Form2.h"
#include "viewer/Form1.h"

namespace galvia {

struct AccesForm1 {
    Form1& f;
    Cadre& Debut = f.Debut;
    ListeFichiers& Fichier = f.Fichier;
    ListeLecteurs& Lecteur = f.Lecteur;
    ListeDossiers& Dossier = f.Dossier;
    Etiquette& ListeDos = f.ListeDos;
    ControleImage& ChatRex = f.ChatRex;
    BoiteImage& Image0 = f.Image0;
    BoiteImage& Image1 = f.Image1;
    ControleImage& Image2 = f.Image2;
    BarreDefilement& Horiz = f.Horiz;
    BarreDefilement& Vertic = f.Vertic;
    Minuterie& Timer1 = f.Timer1;
    ElementMenu& affTout = f.affTout;
    ElementMenu& affSelect = f.affSelect;
    ElementMenu& AutreDossier = f.AutreDossier;
    ElementMenu& Renomme = f.Renomme;
    ElementMenu& affAutre = f.affAutre;
    ElementMenu& menAtt = f.menAtt;
    MenuCommandes<Atteindre, 10>& Bouge = f.Bouge;
    ElementMenu& menShow = f.menShow;
    MenuCommandes<Show, 6>& Defile = f.Defile;
    ElementMenu& diapShow = f.diapShow;
    ElementMenu& menAide = f.menAide;
    ElementMenu& menNom = f.menNom;
    ElementMenu& menCompte = f.menCompte;
    std::int16_t& LargeurFenetre = f.LargeurFenetre;
    std::int16_t& HauteurFenetre = f.HauteurFenetre;
    std::int16_t& LargeurAscenseur = f.LargeurAscenseur;
    std::int16_t& HauteurAscenseur = f.HauteurAscenseur;
    QString& DossierDepart = f.DossierDepart;

    Progression progressionFeuille() const { return f.progressionFeuille(); }
    void ChargeDossiers() const { f.ChargeDossiers(); }
    void ChargeImage() const { f.ChargeImage(); }
};

struct AccesForm2 {
    Form2& f;
    TableauControles<ControleImage>& Diapo = f.Diapo;
    TableauControles<Etiquette>& Texte = f.Texte;
    BoiteImage& Image1 = f.Image1;
    BoiteImage& Dummy = f.Dummy;
    Etiquette& Titre = f.Titre;
    Bouton& Numero = f.Numero;
    ParCommande<Bouton, Deplacement, 4>& Deplace = f.Deplace;
    Bouton& Fin = f.Fin;
    BarreDefilement& Vertic = f.Vertic;
    BarreDefilement& Horiz = f.Horiz;
    PoolDecodage*& decodeurs = f.decodeurs;
    const CacheVignettes*& cache = f.cache;
    Progression& progression = f.progression_;
    Grille& grille = f.grille;
    std::array<int, CasesParPage + 1>& GaucheCase = f.GaucheCase;
    std::array<int, CasesParPage + 1>& HautCase = f.HautCase;
    std::int16_t& PremiereDiapo = f.PremiereDiapo;
    bool& FinAtteinte = f.FinAtteinte;
    bool& Occupe = f.Occupe;
    std::int16_t& TexteChoisi = f.TexteChoisi;
    std::optional<int>& DiapoAffichee = f.DiapoAffichee;
};

inline AccesForm1 acces(Form1& f) {
    return {f};
}
inline AccesForm2 acces(Form2& f) {
    return {f};
}

} // namespace galvia
