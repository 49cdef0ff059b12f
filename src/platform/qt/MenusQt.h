// The menu bar of a Galvia window: a QAction for every menu item, mirroring its caption,
// check mark, enabled and visible state, and clicking the item when triggered.
#pragma once

#include "../Controles.h"

#include <QHash>
#include <memory>
#include <vector>

class QAction;
class QMainWindow;

namespace galvia {

class Fenetre;

// Builds the menus of `fenetre` in `vue`; the actions go to `actions`, their binders to
// `vues`, which must outlive the menu items' attachment.
void construireMenus(QMainWindow& vue, Fenetre& fenetre,
                     QHash<const ElementMenu*, QAction*>& actions,
                     std::vector<std::unique_ptr<VueControle>>& vues);

} // namespace galvia
