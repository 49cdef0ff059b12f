#include "Controle.h"

#include "Fenetre.h"

#include <algorithm>

namespace galvia {

Controle::Controle(Fenetre& fenetre, QString nom, Controle* conteneur)
    : fenetre_(fenetre)
    , nom_(std::move(nom))
    , conteneur_(conteneur) {
    fenetre_.enregistrer(this);
}

Controle::~Controle() {
    fenetre_.retirer(this);
}

void Controle::changer() {
    if (vue_) vue_->actualiser();
}

void Controle::setNomAccessible(const QString& n) {
    nomAccessible_ = n;
    changer();
}

void Controle::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    changer();
}

void Controle::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    changer();
}

void Controle::setLeft(double v) {
    move(v, top_, width_, height_);
}
void Controle::setTop(double v) {
    move(left_, v, width_, height_);
}
void Controle::setWidth(double v) {
    move(left_, top_, v, height_);
}
void Controle::setHeight(double v) {
    move(left_, top_, width_, v);
}
void Controle::move(double left, double top) {
    move(left, top, width_, height_);
}

void Controle::moveTwips(double left, double top, double width, double height) {
    const Fenetre& f = fenetre();
    move(f.depuisTwips(left), f.depuisTwips(top), f.depuisTwips(width), f.depuisTwips(height));
}

void Controle::move(double left, double top, double width, double height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = std::max(0.0, width);
    height_ = std::max(0.0, height);
    changer();
}

void Controle::setFocus() {
    for (const Controle* c = this; c; c = c->conteneur_)
        if (!c->visible_ || !c->enabled_) return;
    fenetre_.donnerFocus(this);
    if (vue_) vue_->donnerFocus();
    if (surFocus) surFocus();
}

bool Controle::aLeFocus() const {
    return fenetre_.focus() == this;
}

void Controle::cliquer() {
    if (enabled_ && surClic) surClic();
}

void Controle::doubleCliquer() {
    if (enabled_ && surDoubleClic) surDoubleClic();
}

void Controle::survoler() {
    if (surSurvol) surSurvol();
}

void annoncerControle(Controle& c) {
    if (c.fenetre().vue()) c.fenetre().vue()->controleAjoute(c);
}

} // namespace galvia
