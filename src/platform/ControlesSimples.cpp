#include "ControlesSimples.h"

#include <algorithm>

namespace galvia {

void Etiquette::setCaption(const QString& c) {
    if (caption_ == c) return;
    caption_ = c;
    changer();
}

void Etiquette::setPlat(bool p) {
    if (plat_ == p) return;
    plat_ = p;
    changer();
}

void Bouton::setCaption(const QString& c) {
    caption_ = c;
    changer();
}

// --- scroll bar ---

void BarreDefilement::setValue(int v) {
    v = std::clamp(v, min_, std::max(min_, max_));
    if (v == value_) return;
    value_ = v;
    changer();
    if (surChange) surChange();
}

void BarreDefilement::setMin(int v) {
    min_ = v;
    changer();
    if (value_ < min_) setValue(min_);
}

void BarreDefilement::setMax(int v) {
    max_ = v;
    changer();
    if (value_ > std::max(min_, max_)) setValue(max_);
}

void BarreDefilement::setSmallChange(int v) {
    small_ = v;
    changer();
}

void BarreDefilement::setLargeChange(int v) {
    large_ = v;
    changer();
}

} // namespace galvia
