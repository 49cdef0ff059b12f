// The real main window of Galvia, offscreen, for end-to-end tests (link with WIDGETS).
#pragma once

#include "Acces.h"
#include "Banc.h"
#include "Clavier.h"
#include "platform/decodage/Images.h"
#include "platform/qt/PlateformeQt.h"
#include "platform/qt/VueFenetreQt.h"
#include "state/Module1.h"
#include "viewer/Form1.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>

namespace galvia::test {

// The control of `f` named `nom`: the `rang`-th of that name (0 the first).
inline Controle* controle(Fenetre& f, const QString& nom, int rang = 0) {
    for (Controle* c : f.controles())
        if (c->nom() == nom && rang-- == 0) return c;
    return nullptr;
}

struct FenetreReelle {
    // Starts the main window on `dossierDepart` (a folder that exists).
    explicit FenetreReelle(const QString& dossierDepart) { ouvrir(dossierDepart); }
    // Starts it on a folder of its own holding `n` small pictures, a.jpg, b.jpg...
    explicit FenetreReelle(int n) {
        for (int i = 0; i < n; ++i)
            dessiner(dossier.filePath(QChar(u'a' + i) + QStringLiteral(".jpg")), {40, 30});
        ouvrir(dossier.path() + u'/');
    }

    // A real key press, delivered as the window system delivers it (see taper).
    void touche(Qt::Key cle, Qt::KeyboardModifiers mod = Qt::NoModifier) {
        if (!taper(cle, mod)) qFatal("no window has the keyboard");
    }

    // The caption of the menu-bar item named `nom` (its visible text).
    QString legende(const ElementMenu& m) const { return vue->actionDe(m)->text(); }

    // Answers the next modal box (message or input) from inside its event loop:
    // `reponse` runs on the box once it is shown.
    static void repondre(std::function<void(QWidget*)> reponse) {
        auto essai = std::make_shared<std::function<void()>>();
        *essai = [reponse, essai] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                reponse(m);
                return;
            }
            QTimer::singleShot(10, *essai);
        };
        QTimer::singleShot(0, *essai);
    }

    // Opens the slide sheet by F8 and runs `scene` inside its modal loop once its first page is
    // filled and the sheet has the keyboard, with the sheet's view; the sheet is closed after it
    // unless the scene closed it. Returns, once the sheet is closed, whether the scene ran.
    bool dansLaFeuille(const std::function<void(VueFenetreQt&)>& scene) {
        auto fini = std::make_shared<bool>(false), joue = std::make_shared<bool>(false);
        auto essai = std::make_shared<std::function<void()>>();
        *essai = [this, scene, essai, fini, joue] {
            if (*fini) return;
            auto* feuille = qobject_cast<VueFenetreQt*>(QApplication::activeModalWidget());
            if (!feuille || feuille->modele().nom() != QLatin1String("Form2") ||
                ctl().menCompte.visible() || !feuille->isActiveWindow()) {
                QTimer::singleShot(5, *essai);
                return;
            }
            *joue = true;
            scene(*feuille);
            if (!feuille->modele().ferme()) feuille->modele().fermer();
        };
        QTimer::singleShot(0, *essai);
        (void)taper(Qt::Key_F8);
        *fini = true;
        return *joue;
    }

    QTemporaryDir dossier; // the pictures of FenetreReelle(n), gone after the window
    PlateformeQt plateforme;
    Module1 etat;
    std::unique_ptr<Form1> form;
    // The window's controls and variables.
    AccesForm1 ctl() const { return acces(*form); }
    std::unique_ptr<VueFenetreQt> vue;

private:
    void ouvrir(const QString& dossierDepart) {
        preparerDecodeurs();
        form = std::make_unique<Form1>(plateforme, etat);
        ctl().DossierDepart = dossierDepart;
        vue = std::make_unique<VueFenetreQt>(form->fenetre);
        form->Form_Load();
        vue->showMaximized();
        if (!QTest::qWaitForWindowExposed(vue.get())) qFatal("the main window was not shown");
        vue->activateWindow();
        (void)QTest::qWaitForWindowActive(vue.get());
    }
};

// Closes every message or input box that opens while it lives, as the user would with
// Esc (or by `reponse`, given the box), and notes each box's title and text.
class FermeBoites {
public:
    explicit FermeBoites(std::function<void(QDialog*)> reponse = {})
        : reponse_(std::move(reponse)) {
        minuterie_.setInterval(5);
        QObject::connect(&minuterie_, &QTimer::timeout, [this] {
            auto* boite = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!boite || !boite->isVisible()) return;
            titres.append(boite->windowTitle());
            if (auto* m = qobject_cast<QMessageBox*>(boite)) textes.append(m->text());
            if (reponse_)
                reponse_(boite);
            else
                boite->reject();
        });
        minuterie_.start();
    }
    QStringList titres, textes;

private:
    std::function<void(QDialog*)> reponse_;
    QTimer minuterie_;
};

} // namespace galvia::test
