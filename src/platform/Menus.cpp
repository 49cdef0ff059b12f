#include "Menus.h"

namespace galvia {

ElementMenu::ElementMenu(QString nom, QString caption, ElementMenu* parent, QString raccourci)
    : nom_(std::move(nom))
    , caption_(std::move(caption))
    , raccourci_(std::move(raccourci))
    , parent_(parent) {}

ElementMenu& ElementMenu::ajouter(QString nom, QString caption, QString raccourci) {
    enfants_.push_back(std::make_unique<ElementMenu>(std::move(nom), std::move(caption), this,
                                                     std::move(raccourci)));
    return *enfants_.back();
}

void ElementMenu::changer() {
    if (vue_) vue_->actualiser();
}

void ElementMenu::setCaption(const QString& c) {
    if (caption_ == c) return;
    caption_ = c;
    changer();
}

void ElementMenu::setChecked(bool c) {
    checked_ = c;
    changer();
}

void ElementMenu::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    changer();
}

void ElementMenu::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    changer();
}

bool ElementMenu::accessible() const {
    for (const ElementMenu* m = this; m; m = m->parent_)
        if (!m->visible_ || !m->enabled_) return false;
    return true;
}

void ElementMenu::cliquer() {
    if (accessible() && surClic) surClic();
}

} // namespace galvia
