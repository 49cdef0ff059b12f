#include "Form2.h"

#include "platform/BudgetDecodage.h"
#include "platform/Erreurs.h"
#include "platform/Images.h"
#include "platform/Texte.h"
#include "platform/Touches.h"

#include <algorithm>
#include <cmath>

namespace galvia {

namespace {

// The box shown in place of a thumbnail whose file cannot be read.
QImage boiteGrise() {
    QImage gris(1, 1, QImage::Format_RGB32);
    gris.fill(QColor(0xc0, 0xc0, 0xc0));
    return gris;
}

// Runs on a worker thread and touches no control: the thumbnail of one file for the
// cell at (gauche, haut). The proportions come from the header, read in the same opening
// of the file as the pixels, which are decoded at the thumbnail's own size inside its
// one-pixel border, in screen pixels (`unite` twips each): sharp on a scaled screen too,
// the picture's device pixel ratio being the screen's. A file that cannot be read gives
// a null picture and the whole cell, as does one larger than the whole budget of the
// decodes. The decode waits for its memory in that budget, and gives up when the page no
// longer wants it. A valid thumbnail of the desktop's cache spares the decode.
Decodage decoder(const QString& fichier, Grille g, int gauche, int haut, double unite,
                 double densite, const std::atomic<bool>& abandon, const CacheVignettes* cache) {
    Decodage d{
        {double(gauche), double(haut), double(g.LargeurCase), double(g.HauteurCase)}, {}, {}};
    try {
        Vignette place;
        const auto cote = [unite](double twips) {
            return std::max(1, static_cast<int>(std::lround(twips / unite)) - 2);
        };
        BudgetMemoire::Reservation memoire;
        const int coteCase =
            static_cast<int>(std::lround(std::max(g.LargeurCase, g.HauteurCase) / unite));
        d.image = chargerVignetteCache(
            cache, fichier, coteCase,
            [&](QSize naturelle) {
                place = placerVignette(tailleBordee(naturelle), gauche, haut, g);
                return QSize(cote(place.width), cote(place.height));
            },
            [&](std::int64_t octets) {
                memoire = {};
                memoire = budgetDecodage().reserver(octets, &abandon);
                if (!memoire) throw DecodageAbandonne{};
            },
            &d.ecrire, &abandon);
        d.image.setDevicePixelRatio(densite);
        d.place = place;
    } catch (const Erreur&) {
    } catch (const std::bad_alloc&) {
    }
    return d;
}

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

struct Form2::Remplissage {
    int premiere;
    bool premierePage;
    // The cells that show a list position, and the next one to show.
    int total;
    int suivante;
    Lecture lecture;
    std::vector<std::function<void()>> ecritures;
};

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

void Form2::remplirPage(int premiere, bool premierePage) {
    const int total = std::max(0, std::min(CasesParPage, etat.NbImages - premiere));
    FinAtteinte = premiere + CasesParPage > etat.NbImages;
    std::vector<Lecture::Travail> travaux;
    travaux.reserve(total);
    for (int k = 0; k < total; ++k)
        travaux.push_back(travail(k, premiere + k));
    // Each thumbnail decoded goes to the interface thread's queue; there it reaches this
    // sheet only while it lives. The workers touch nothing of the sheet.
    const std::function<void()> arrivee = [envoi = plateforme.envoi(),
                                           vie = std::weak_ptr<Form2*>(vie_)] {
        envoi([vie] {
            if (const std::shared_ptr<Form2*> f = vie.lock()) (*f)->caseArrivee();
        });
    };
    remplissage_.reset(
        new Remplissage{premiere, premierePage, total, 0, lire(std::move(travaux), arrivee), {}});
    caseArrivee(); // a page with no thumbnail is complete at once
}

void Form2::caseArrivee() {
    if (!remplissage_) return; // no page being filled: a late thumbnail, dropped
    Remplissage& r = *remplissage_;
    while (r.suivante < r.total && r.lecture.pret(r.suivante)) {
        const int k = r.suivante++;
        if (r.premierePage && k > 0) {
            Diapo.load(k);
            Diapo[k].surClic = [this, k] { Diapo_Click(k); };
            Texte.load(k);
        }
        Decodage d = r.lecture.prendre(k);
        if (d.ecrire) r.ecritures.push_back(std::move(d.ecrire));
        if (!Diapo.charge(k) || !Texte.charge(k)) continue;
        remplirCase(k, r.premiere + k, std::move(d));
        if (r.premierePage && progression_.avance) progression_.avance(k + 1, r.total);
        // A progress callback may have closed the window, ending the fill.
        if (!remplissage_) return;
    }
    if (r.suivante == r.total) terminerRemplissage(true);
}

void Form2::terminerRemplissage(bool complete) {
    std::unique_ptr<Remplissage> r = std::move(remplissage_);
    if (complete) {
        for (int k = r->total; k < CasesParPage; ++k) {
            if (Diapo.charge(k)) Diapo[k].setVisible(false);
            if (Texte.charge(k)) Texte[k].setVisible(false);
        }
        if (progression_.pagePleine) progression_.pagePleine();
        // The page shown, the thumbnails decoded go to the cache in the background.
        for (std::function<void()>& e : r->ecritures)
            decodeurs->soumettre(std::move(e));
    }
    // A page left half-filled lets its decodes go (see lire).
    const bool premierePage = r->premierePage;
    r.reset();
    Occupe = false;
    if (premierePage) {
        if (progression_.occupe) progression_.occupe(false);
    } else {
        fenetre.setSablier(false);
    }
}

// The whole page is queued at once, in cell order; the workers decode it ahead while
// the window shows the cells one by one. A page left half-filled lets its decodes go:
// the ones not started never start, the running ones end in the background.
Form2::Lecture Form2::lire(std::vector<Lecture::Travail> travaux,
                           const std::function<void()>& arrivee) {
    return Lecture(
        *decodeurs, std::move(travaux), [] { budgetDecodage().reveiller(); }, arrivee);
}

Form2::Lecture::Travail Form2::travail(int k, int i) const {
    return [fichier = etat.fichierDeEntree(i + 1), g = grille, gauche = GaucheCase[k],
            haut = HautCase[k], unite = fenetre.unite(), densite = fenetre.densite(),
            cache = cache](const std::atomic<bool>& abandon) {
        return decoder(fichier, g, gauche, haut, unite, densite, abandon, cache);
    };
}

void Form2::remplirCase(int k, int i, Decodage d) {
    ControleImage& diapo = Diapo[k];
    const QString nom = i + 1 < etat.TabImages.size() ? etat.TabImages.at(i + 1) : QString();
    caseGrise_[k] = d.image.isNull();
    const Vignette& v = d.place;
    QImage vignette = caseGrise_[k] ? boiteGrise() : std::move(d.image);
    diapo.move(v.left, v.top, v.width, v.height);
    diapo.setImage(std::move(vignette));
    diapo.setNomAccessible(QStringLiteral("Diapositive %1 : %2").arg(i + 1).arg(nom));
    diapo.setVisible(true);

    Etiquette& texte = Texte[k];
    texte.setCaption(nom);
    texte.setNomAccessible(nom);
    texte.move(GaucheCase[k], HautCase[k] + grille.PasColonne);
    texte.setVisible(true);
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
        image = chargerReduite(fichier, {},
                               [&](std::int64_t octets) { memoire = reserverAffichage(octets); });
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
