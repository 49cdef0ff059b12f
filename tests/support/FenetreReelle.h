// The real main window of Galvia, offscreen, for end-to-end tests (link with WIDGETS).
#pragma once

#include "platform/Images.h"
#include "platform/qt/PlateformeQt.h"
#include "platform/qt/VueFenetreQt.h"
#include "state/Module1.h"
#include "viewer/Form1.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <memory>

namespace galvia::test {

struct FenetreReelle {
    // Starts the main window on `dossierDepart` (a folder that exists and is not empty).
    explicit FenetreReelle(const QString& dossierDepart) {
        preparerDecodeurs();
        form = std::make_unique<Form1>(plateforme, etat);
        form->DossierDepart = dossierDepart;
        vue = std::make_unique<VueFenetreQt>(form->fenetre);
        form->Form_Load();
        vue->showMaximized();
        if (!QTest::qWaitForWindowExposed(vue.get())) qFatal("the main window was not shown");
        vue->activateWindow();
        (void)QTest::qWaitForWindowActive(vue.get());
    }

    // A real key press on the widget that has the focus (or the window).
    void touche(Qt::Key cle, Qt::KeyboardModifiers mod = Qt::NoModifier) {
        QWidget* cible = QApplication::focusWidget() ? QApplication::focusWidget() : vue.get();
        QTest::keyClick(cible, cle, mod);
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

    PlateformeQt plateforme;
    Module1 etat;
    std::unique_ptr<Form1> form;
    std::unique_ptr<VueFenetreQt> vue;
};

} // namespace galvia::test
