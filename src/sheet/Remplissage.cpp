// The slide sheet's page fill: each cell's thumbnail decoded on the workers, the cells
// shown on the interface thread as their thumbnails arrive, in cell order.
#include "Form2.h"

#include "platform/Erreurs.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/Images.h"

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
// decodes. The decode waits for its memory in that budget (its pool's), and gives up when the page
// no longer wants it. A valid thumbnail of the desktop's cache spares the decode.
Decodage decoder(const QString& fichier, Grille g, int gauche, int haut, double unite,
                 double densite, const std::atomic<bool>& abandon, const CacheVignettes* cache,
                 BudgetMemoire& budget) {
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
                memoire = budget.reserver(octets, &abandon);
                if (!memoire) throw DecodageAbandonne{};
            },
            &d.ecrire, &abandon, budget);
        d.image.setDevicePixelRatio(densite);
        d.place = place;
    } catch (const Erreur&) {
    } catch (const std::bad_alloc&) {
    }
    return d;
}

} // namespace

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
    return Lecture(*decodeurs, std::move(travaux), arrivee);
}

Form2::Lecture::Travail Form2::travail(int k, int i) const {
    return [fichier = etat.fichierDeEntree(i + 1), g = grille, gauche = GaucheCase[k],
            haut = HautCase[k], unite = fenetre.unite(), densite = fenetre.densite(), cache = cache,
            &budget = decodeurs->budget()](const std::atomic<bool>& abandon) {
        return decoder(fichier, g, gauche, haut, unite, densite, abandon, cache, budget);
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

} // namespace galvia
