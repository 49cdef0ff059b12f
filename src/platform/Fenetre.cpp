#include "Fenetre.h"

#include <algorithm>

namespace galvia {

Fenetre::Fenetre(QString nom, bool twips)
    : nom_(std::move(nom))
    , twips_(twips) {}

Fenetre::~Fenetre() = default;

void Fenetre::changer() {
    if (vue_) vue_->actualiser();
}

void Fenetre::setCaption(const QString& c) {
    if (caption_ == c) return;
    caption_ = c;
    changer();
}

void Fenetre::move(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changer();
}

double Fenetre::scaleWidth() {
    const QSizeF px = vue_ ? vue_->tailleInterne() : tailleSansVue_;
    return px.width() * unite();
}

double Fenetre::scaleHeight() {
    const QSizeF px = vue_ ? vue_->tailleInterne() : tailleSansVue_;
    return px.height() * unite();
}

void Fenetre::setSablier(bool s) {
    if (sablier_ == s) return;
    sablier_ = s;
    changer();
}

ElementMenu& Fenetre::ajouterMenu(QString nom, QString caption) {
    menus_.push_back(std::make_unique<ElementMenu>(std::move(nom), std::move(caption)));
    return *menus_.back();
}

Minuterie& Fenetre::creerMinuterie() {
    if (!minuterie_) minuterie_ = std::make_unique<Minuterie>();
    return *minuterie_;
}

void Fenetre::toucher(int code, int shift) {
    if (surTouche) surTouche(code, shift);
}

void Fenetre::survoler() {
    if (surSurvol) surSurvol();
}

void Fenetre::redimensionner() {
    if (surRedimension) surRedimension();
}

void Fenetre::activer() {
    if (surActivation) surActivation();
}

void Fenetre::fermer() {
    if (ferme_) return;
    ferme_ = true;
    if (surFermeture) surFermeture();
    if (vue_) vue_->fermer();
}

void Fenetre::enregistrer(Controle* c) {
    controles_.push_back(c);
}

void Fenetre::retirer(Controle* c) {
    controles_.erase(std::remove(controles_.begin(), controles_.end(), c), controles_.end());
    if (focus_ == c) focus_ = nullptr;
}

void Fenetre::donnerFocus(Controle* c) {
    focus_ = c;
}

} // namespace galvia
