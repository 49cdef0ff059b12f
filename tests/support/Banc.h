// A test bench for Galvia's main window: the window logic on the in-memory platform,
// over a temporary folder of pictures drawn by the test.
#pragma once

#include "Acces.h"
#include "platform/memoire/PlateformeMemoire.h"
#include "state/Module1.h"
#include "viewer/Form1.h"

#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace galvia::test {

// Writes a w x h picture (format from the suffix: jpg, jpeg, gif, bmp, png) filled with
// `couleur`; returns the full path. Creates the missing folders.
QString dessiner(const QString& chemin, QSize taille, QColor couleur = QColor(40, 120, 200));

QString ecrire(const QString& chemin, const QByteArray& contenu = {});

// Writes a BMP of `taille` (red) under the exact bytes `chemin`, which may be any name
// the file system holds, with the permission bits `mode`.
void poserOctets(const QByteArray& chemin, QSize taille, unsigned mode = 0644);

// Empties a folder whatever its entries' names (Qt removes only names that are UTF-8).
void viderOctets(const QString& dossier);

// The bytes this process has read from files so far (rchar of /proc/self/io).
qint64 octetsLus();

// A temporary folder emptied by bytes before Qt removes it.
struct DossierTemporaire : QTemporaryDir {
    ~DossierTemporaire() { viderOctets(path()); }
};

// Runs the slide sheet's thumbnails as they arrive, until its page is filled (or the sheet closed).
inline bool finirPage(PlateformeMemoire& p, Form2& f) {
    return p.traiterEnvois([&f] { return !acces(f).Occupe; });
}

struct Banc {
    // `interne`: the window's inner size in pixels.
    explicit Banc(QSize interne = {1024, 768})
        : form(std::make_unique<Form1>(plateforme, etat)) {
        form->fenetre.setTailleInterneSansVue(interne);
        ctl().DossierDepart = dossier.path() + QStringLiteral("/absent/");
    }
    DossierTemporaire dossier;
    PlateformeMemoire plateforme;
    Module1 etat;
    std::unique_ptr<Form1> form;
    // The window's controls and variables.
    AccesForm1 ctl() const { return acces(*form); }

    QString chemin(const QString& nom = {}) const {
        return nom.isEmpty() ? dossier.path() : dossier.path() + u'/' + nom;
    }
    // Starts the window (Form_Load) and opens `sousDossier` of the temporary folder.
    void demarrer(const QString& sousDossier = {}) {
        form->Form_Load();
        ctl().Dossier.setPath(chemin(sousDossier));
    }
    // The list entries 1 to NbImages.
    QStringList liste() const { return etat.TabImages.mid(1, etat.NbImages); }
    // Texts of the recorded message boxes.
    QStringList messages() const;
    // The recorded message boxes, each as "title|icon|text" (icon: Aucune, Critique or
    // Information).
    QStringList boites() const;
};

} // namespace galvia::test
