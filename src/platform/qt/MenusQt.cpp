#include "MenusQt.h"

#include "../Fenetre.h"
#include "LiaisonQt.h"
#include "PlateformeQt.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace galvia {

namespace {

// The action of one menu item, added to `dans` (the menu bar when null).
QAction* creerAction(QMainWindow& vue, ElementMenu& m, QMenu* dans,
                     QHash<const ElementMenu*, QAction*>& actions,
                     std::vector<std::unique_ptr<VueControle>>& vues) {
    QAction* a = nullptr;
    if (!m.enfants().empty()) {
        auto* menu = new QMenu(m.caption(), &vue);
        a = menu->menuAction();
        for (auto& e : m.enfants())
            creerAction(vue, *e, menu, actions, vues);
    } else if (m.separateur()) {
        a = new QAction(&vue);
        a->setSeparator(true);
    } else {
        a = new QAction(m.caption(), &vue);
        if (!m.raccourci().isEmpty()) {
            a->setShortcut(QKeySequence(m.raccourci()));
            a->setShortcutContext(Qt::WindowShortcut);
            vue.addAction(a); // reachable by its key whatever the menus show
        }
        QObject::connect(a, &QAction::triggered, &vue, [a = QPointer<QAction>(a), &m] {
            m.cliquer();
            // Qt has flipped a checkable item's mark by itself: the mark shows the
            // program's state, which the command may have left as it was.
            if (a && a->isChecked() != m.checked()) a->setChecked(m.checked());
        });
    }
    if (dans)
        dans->addAction(a);
    else
        vue.menuBar()->addAction(a);
    actions.insert(&m, a);
    auto* miroir = new VueFonction([a, &m] {
        const QString texte = texteAffiche(m.caption());
        if (a->text() != texte && !m.separateur()) {
            a->setText(texte);
            if (QMenu* sous = a->menu()) sous->setTitle(texte);
        }
        if (m.checked() != a->isChecked()) {
            a->setCheckable(true);
            a->setChecked(m.checked());
        }
        a->setEnabled(m.enabled());
        a->setVisible(m.visible());
    });
    vues.emplace_back(miroir);
    m.attacher(miroir);
    miroir->actualiser();
    return a;
}

} // namespace

void construireMenus(QMainWindow& vue, Fenetre& fenetre,
                     QHash<const ElementMenu*, QAction*>& actions,
                     std::vector<std::unique_ptr<VueControle>>& vues) {
    for (auto& m : fenetre.menus())
        creerAction(vue, *m, nullptr, actions, vues);
}

} // namespace galvia
