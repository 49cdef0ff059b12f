// The slide sheet: a full-screen window, shown modally over the main window, that
// shows the image list as pages of 60 thumbnails (10 by 6) and any one of them at
// natural size. It counts in twips; it reads the shared list and never changes it.
#pragma once

#include "GeometrieFeuille.h"
#include "platform/Controles.h"
#include "platform/Fenetre.h"
#include "platform/Plateforme.h"
#include "platform/decodage/CacheVignettes.h"
#include "platform/decodage/PoolDecodage.h"
#include "state/Module1.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace galvia {

// A thumbnail decoded for its cell: its box, and its picture (null when the file cannot
// be read); and the writing of its thumbnail to the desktop's cache, when it was decoded
// from the picture, to run on a worker once the page is shown.
struct Decodage {
    Vignette place;
    QImage image;
    std::function<void()> ecrire;
};

// The sheet's move buttons, `Deplace(0)` to `Deplace(3)`: the index `Deplace_Click`
// receives.
enum class Deplacement : int {
    EcranPrec = 0,     // previous page
    LignePrec = 1,     // previous row
    LigneSuivante = 2, // next row
    EcranSuivant = 3,  // next page
};

// What the sheet tells its opener while it fills its first page.
struct Progression {
    // The filling starts (true) and ends (false).
    std::function<void(bool enCours)> occupe;
    // `faits` of the page's `total` thumbnails are shown.
    std::function<void(int faits, int total)> avance;
    // A page is complete: its last cell is shown and the cells past the end of the list
    // are hidden. Once per page filled, the first one included; not for a page left
    // unfinished because the window was closed.
    std::function<void()> pagePleine;
};

class Form2 {
public:
    Form2(Plateforme& plateforme, Module1& etat, Progression progression = {});
    ~Form2();
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

private:
    Plateforme& plateforme;
    Module1& etat;

public:
    // The window: what a view shows and binds, the controls through its list of controls.
    Fenetre fenetre{QStringLiteral("Form2"), true};

    // --- handlers ---
    void Form_Load();
    void Form_Activate();
    void Environ(int Numero);
    void Environ(VuePleine v) { Environ(static_cast<int>(v)); }
    void Affiche(double Depart);
    void Deplace_Click(int Index);
    void Deplace_Click(Deplacement d) { Deplace_Click(static_cast<int>(d)); }
    void Numero_Click();
    void Form_KeyDown(int KeyCode, int Shift);
    void Diapo_Click(int Index);
    void Vertic_Change();
    void Horiz_Change();
    void Image1_Click();
    void Fin_Click();

private:
    // The test suite drives the controls and reads the sheet's state.
    friend struct AccesForm2;

    // --- the controls, from the bottom of the stack up ---
    TableauControles<ControleImage> Diapo;
    TableauControles<Etiquette> Texte;
    BoiteImage Image1{fenetre, QStringLiteral("Image1")};
    BoiteImage Dummy{fenetre, QStringLiteral("Dummy")};
    Etiquette Titre{fenetre, QStringLiteral("Titre")};
    Bouton Numero{fenetre, QStringLiteral("Numero")};
    // The row of move buttons, addressed by their move.
    ParCommande<Bouton, Deplacement, 4> Deplace{[this] {
        return Bouton{fenetre, QStringLiteral("Deplace")};
    }};
    Bouton Fin{fenetre, QStringLiteral("Fin")};
    BarreDefilement Vertic{fenetre, QStringLiteral("Vertic"), true};
    BarreDefilement Horiz{fenetre, QStringLiteral("Horiz"), false};

    // The workers that decode the thumbnails ahead, and the budget of their memory (the
    // pool's): the process-wide pool, unless another is given before the sheet is loaded.
    PoolDecodage* decodeurs = &PoolDecodage::commun();
    // The desktop's thumbnail cache: the user's, unless another (or none) is given.
    const CacheVignettes* cache = &CacheVignettes::commun();

    // --- the sheet's state ---
    int LargeurFeuille = 0;
    int HauteurFeuille = 0;
    Grille grille;
    std::array<int, CasesParPage + 1> GaucheCase{};
    std::array<int, CasesParPage + 1> HautCase{};
    std::int16_t PremiereDiapo = 0;
    bool FinAtteinte = false;
    bool Occupe = false;
    std::int16_t TexteChoisi = 0;
    std::optional<int> DiapoAffichee;

    // The thumbnails of a page, decoded ahead of their display on the workers, within
    // the budget of their pool.
    using Lecture = LectureEnAvance<Decodage>;
    // `arrivee` runs on a worker after each result.
    Lecture lire(std::vector<Lecture::Travail> travaux, const std::function<void()>& arrivee);
    // The decode of list position i (0-based) for cell k.
    Lecture::Travail travail(int k, int i) const;
    // Starts filling the page that starts at list position `premiere` (0-based): each
    // cell of a position in the list shows its thumbnail, decoded ahead on the workers,
    // as the thumbnails arrive, in cell order; then the cells past the end of the list
    // are hidden. The first page loads its cells (the control arrays' members) as it
    // goes and reports its progress. `Occupe` holds until the page is complete or the
    // window is closed, which stops the filling at once.
    void remplirPage(int premiere, bool premierePage);
    // A thumbnail has arrived: shows the cells of the page being filled that are ready,
    // in order. A thumbnail arriving late (its page closed, or done and followed by
    // another) finds nothing more to show.
    void caseArrivee();
    // Ends the fill under way: `complete` when its last cell is shown.
    void terminerRemplissage(bool complete);
    // Shows list position i in cell k: its thumbnail, or a grey box when the file
    // cannot be read.
    void remplirCase(int k, int i, Decodage d);
    Progression progression_;
    // The page being filled, while `Occupe` holds.
    struct Remplissage {
        int premiere;
        bool premierePage;
        // The cells that show a list position, and the next one to show.
        int total;
        int suivante;
        Lecture lecture;
        std::vector<std::function<void()>> ecritures;
    };
    std::unique_ptr<Remplissage> remplissage_;
    // A thumbnail reaches the sheet through the interface thread's queue, only while
    // `vie_` (this sheet) lives.
    std::shared_ptr<Form2*> vie_;
    // The parts of the chosen picture that do not fit the window (twips).
    double depassementV_ = 0, depassementH_ = 0;
    // Cells showing a grey box in place of their thumbnail.
    std::array<bool, CasesParPage> caseGrise_{};
};

} // namespace galvia
