#include "Form2.h"

#include "platform/Erreurs.h"
#include "platform/Texte.h"
#include "platform/Touches.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/Images.h"

#include <algorithm>
#include <cmath>

namespace galvia {

namespace {

std::unique_ptr<ControleImage> creerDiapo(Fenetre& f, int) {
    return std::make_unique<ControleImage>(f, QStringLiteral("Diapo"));
}

std::unique_ptr<Etiquette> creerTexte(Fenetre& f, int) {
    return std::make_unique<Etiquette>(f, QStringLiteral("Texte"));
}

void copierDiapo(ControleImage& m, const ControleImage& modele) {
    m.move(modele.left(), modele.top(), modele.width(), modele.height());
    m.setBordure(modele.bordure());
}

void copierTexte(Etiquette& m, const Etiquette& modele) {
    m.move(modele.left(), modele.top(), modele.width(), modele.height());
    m.setPlat(modele.plat());
}

} // namespace

Form2::Form2(Plateforme& plateforme_, Module1& etat_, Progression progression)
    : plateforme(plateforme_)
    , etat(etat_)
    , Diapo([this](int i) { return creerDiapo(fenetre, i); }, copierDiapo)
    , Texte([this](int i) { return creerTexte(fenetre, i); }, copierTexte)
    , progression_(std::move(progression))
    , vie_(std::make_shared<Form2*>(this)) {
    // Design layout.
    Titre.move(75, 60, 3540, 240);
    Numero.move(3660, 60, 1200, 270);
    Numero.setCaption(QStringLiteral("Numéro"));
    static const char* const captions[] = {"Ecran Préc", "Ligne Préc", "Ligne Suivante",
                                           "Ecran Suivant"};
    for (int i = 0; i < 4; ++i) {
        Deplace[i].move(4920 + 1260 * i, 60, 1200, 270);
        Deplace[i].setCaption(QString::fromUtf8(captions[i]));
    }
    Fin.move(9960, 60, 1200, 270);
    Fin.setCaption(QStringLiteral("Quitter"));
    Dummy.move(5500, 120, 10, 10);
    Image1.setVisible(false);
    Vertic.move(0, 0, 270, 960);
    Horiz.move(0, 0, 960, 270);
    Vertic.setVisible(false);
    Horiz.setVisible(false);
    Texte[0].move(0, 0, 1200, HauteurTexte);
    Diapo[0].setVisible(false);
    Texte[0].setVisible(false);

    Image1.setNomAccessible(QStringLiteral("Image taille réelle"));
    Vertic.setNomAccessible(QStringLiteral("Ascenseur vertical"));
    Horiz.setNomAccessible(QStringLiteral("Ascenseur horizontal"));
    Numero.setNomAccessible(Numero.caption());
    for (Bouton& b : Deplace)
        b.setNomAccessible(b.caption());
    Fin.setNomAccessible(Fin.caption());

    // Events.
    fenetre.surTouche = [this](int code, int shift) { Form_KeyDown(code, shift); };
    fenetre.surActivation = [this] { Form_Activate(); };
    Numero.surClic = [this] { Numero_Click(); };
    for (int i = 0; i < 4; ++i)
        Deplace[i].surClic = [this, i] { Deplace_Click(i); };
    Fin.surClic = [this] { Fin_Click(); };
    Image1.surClic = [this] { Image1_Click(); };
    Vertic.surChange = [this] { Vertic_Change(); };
    Horiz.surChange = [this] { Horiz_Change(); };
    Diapo[0].surClic = [this] { Diapo_Click(0); };
    // Closing the window mid-fill stops the fill at once.
    fenetre.surFermeture = [this] {
        if (remplissage_) terminerRemplissage(false);
    };
}

Form2::~Form2() {
    fenetre.surFermeture = nullptr;
}

void Form2::Form_Load() {
    if (progression_.occupe) progression_.occupe(true);
    // Commands arriving while the first page is filled are dropped.
    Occupe = true;
    const QSizeF ecran = plateforme.ecranTwips();
    fenetre.move(0, 0, ecran.width(), ecran.height());
    Image1.setAutoSize(true);
    Image1.setBordure(true);
    Diapo[0].setBordure(true);

    LargeurFeuille = static_cast<int>(arrondiPair(fenetre.scaleWidth()));
    HauteurFeuille = static_cast<int>(arrondiPair(fenetre.scaleHeight()));
    grille = calculerGrille(LargeurFeuille, Texte[0].height());
    Texte[0].move(60, grille.PasLigne, grille.LargeurCase, HauteurTexte);
    fenetre.setCaption(QStringLiteral("Diapositives ") + etat.Chemin);
    Image1.move(0, 0);

    const int derniere = std::min(CasesParPage, static_cast<int>(etat.NbImages)) - 1;
    Titre.setCaption(QStringLiteral("De 1 à %1 (sur %2)").arg(derniere + 1).arg(etat.NbImages));
    // The cells of the first page keep their places for every page.
    for (int k = 0; k <= derniere; ++k) {
        HautCase[k] = hautCase(k, grille);
        GaucheCase[k] = gaucheCase(k, grille);
    }
    PremiereDiapo = 0;
    TexteChoisi = 0;
    remplirPage(0, true);
}

void Form2::Form_Activate() {
    Environ(VuePleine::Vignettes);
}

void Form2::Environ(int Numero) {
    Dummy.setFocus();
    Image1.move(0, 0);
    switch (static_cast<VuePleine>(Numero)) {
    case VuePleine::Vignettes:
        Image1.setVisible(false);
        Vertic.setVisible(false);
        Horiz.setVisible(false);
        DiapoAffichee.reset();
        // The full-size picture is no longer shown: let it go.
        Image1.setImage(QImage());
        break;
    case VuePleine::Entiere:
        Image1.setVisible(true);
        Vertic.setVisible(false);
        Horiz.setVisible(false);
        break;
    case VuePleine::PlusHaute:
        Image1.setVisible(true);
        Vertic.setVisible(true);
        Horiz.setVisible(false);
        Vertic.move(0, 0);
        Vertic.setValue(0);
        break;
    case VuePleine::PlusLarge:
        Image1.setVisible(true);
        Vertic.setVisible(false);
        Horiz.setVisible(true);
        Horiz.move(0, 0);
        Horiz.setValue(0);
        break;
    case VuePleine::PlusGrande:
        Image1.setVisible(true);
        Vertic.setVisible(true);
        Vertic.setValue(0);
        Horiz.setVisible(true);
        Horiz.setValue(0);
        Horiz.move(Vertic.width(), 0);
        Vertic.move(0, Horiz.height());
        break;
    default:
        break;
    }
}

void Form2::Affiche(double Depart) {
    if (Occupe) return;
    Texte[TexteChoisi].setPlat(false);
    Environ(VuePleine::Vignettes);
    Occupe = true;
    fenetre.setSablier(true);

    PremiereDiapo = static_cast<std::int16_t>(premiereDiapo(Depart, etat.NbImages));
    const int L = dernierNumero(PremiereDiapo, etat.NbImages);
    Titre.setCaption(
        QStringLiteral("De %1 à %2 ( sur %3)").arg(PremiereDiapo + 1).arg(L).arg(etat.NbImages));

    remplirPage(PremiereDiapo, false);
}

void Form2::Deplace_Click(int Index) {
    Dummy.setFocus();
    switch (static_cast<Deplacement>(Index)) {
    case Deplacement::EcranPrec:
        if (PremiereDiapo != 0) Affiche(PremiereDiapo - CasesParPage);
        break;
    case Deplacement::LignePrec:
        if (PremiereDiapo != 0) Affiche(PremiereDiapo - CasesParLigne);
        break;
    case Deplacement::LigneSuivante:
        if (!FinAtteinte) Affiche(PremiereDiapo + CasesParLigne);
        break;
    case Deplacement::EcranSuivant:
        // A page ending exactly with the last image stays: there is no next page.
        if (!FinAtteinte && PremiereDiapo + CasesParPage < etat.NbImages)
            Affiche(PremiereDiapo + CasesParPage);
        break;
    default:
        break;
    }
}

void Form2::Numero_Click() {
    // A click while a page fills is dropped, though the page may be full once the box
    // is answered.
    const bool occupe = Occupe;
    const QString texte = plateforme.InputBox(
        QStringLiteral("Donnez un nombre entre 1 et %1").arg(etat.NbImages),
        QStringLiteral("Modifier l'affichage"), QString::number(PremiereDiapo + 1));
    const std::optional<double> n = lireNombre(texte);
    if (occupe || !n || *n < 1 || *n > etat.NbImages) return;
    Affiche(*n - 1);
}

void Form2::Form_KeyDown(int KeyCode, int) {
    if (Occupe) return;
    switch (KeyCode) {
    case touche::PageHaut:
        Deplace_Click(Deplacement::EcranPrec);
        break;
    case touche::PageBas:
        Deplace_Click(Deplacement::EcranSuivant);
        break;
    case touche::Fin:
        if (PremiereDiapo <= etat.NbImages - (CasesParPage + 1))
            Affiche(etat.NbImages - CasesParPage);
        break;
    case touche::Debut:
        if (PremiereDiapo != 0) Affiche(0);
        break;
    case touche::Haut:
        Deplace_Click(Deplacement::LignePrec);
        break;
    case touche::Bas:
        Deplace_Click(Deplacement::LigneSuivante);
        break;
    case touche::F4:
        Fin_Click();
        break;
    default:
        break;
    }
}

void Form2::Diapo_Click(int Index) {
    if (Occupe) return;
    if (DiapoAffichee == Index) {
        Environ(VuePleine::Vignettes);
        DiapoAffichee.reset();
        return;
    }
    // A file that cannot be read shows nothing and leaves the view as it is.
    if (Index < 0 || Index >= CasesParPage || caseGrise_[Index]) return;
    const QString fichier = etat.fichierDeEntree(PremiereDiapo + Index + 1);
    try {
        (void)tailleNaturelle(fichier);
    } catch (const Erreur&) {
        return;
    }
    // One full-size picture at a time: the previous one goes before the next is decoded.
    Image1.setImage(QImage());
    QImage image;
    try {
        // Its memory from the budget the page's decodes share, without waiting long.
        BudgetMemoire::Reservation memoire;
        image = chargerReduite(fichier, {}, [&](std::int64_t octets) {
            memoire = reserverAffichage(decodeurs->budget(), octets);
        });
    } catch (const Erreur&) {
    } catch (const std::bad_alloc&) {
    }
    if (image.isNull()) {
        Environ(VuePleine::Vignettes);
        return;
    }

    DiapoAffichee = Index;
    Texte[TexteChoisi].setPlat(false);
    TexteChoisi = static_cast<std::int16_t>(Index);
    Texte[Index].setPlat(true);
    Image1.setImage(std::move(image));

    const VueReelle v =
        calculerVueReelle(QSizeF(Image1.width(), Image1.height()), LargeurFeuille, HauteurFeuille);
    depassementV_ = v.depassementV;
    depassementH_ = v.depassementH;
    if (v.mode == VuePleine::PlusHaute || v.mode == VuePleine::PlusGrande) {
        Vertic.setMin(0);
        Vertic.setMax(v.verticMax);
        Vertic.setSmallChange(v.verticPas);
        Vertic.setLargeChange(v.verticPas);
    }
    if (v.mode == VuePleine::PlusLarge || v.mode == VuePleine::PlusGrande) {
        Horiz.setMin(0);
        Horiz.setMax(v.horizMax);
        Horiz.setSmallChange(v.horizPas);
        Horiz.setLargeChange(v.horizPas);
    }
    Environ(v.mode);
}

void Form2::Vertic_Change() {
    Dummy.setFocus();
    Image1.setTop(-decalage(Vertic.value(), Vertic.max(), depassementV_));
}

void Form2::Horiz_Change() {
    Dummy.setFocus();
    Image1.setLeft(-decalage(Horiz.value(), Horiz.max(), depassementH_));
}

void Form2::Image1_Click() {
    Environ(VuePleine::Vignettes);
    DiapoAffichee.reset();
}

void Form2::Fin_Click() {
    fenetre.fermer();
}

} // namespace galvia
