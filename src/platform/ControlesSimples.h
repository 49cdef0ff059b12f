// The simple controls: frame, label, button and scroll bar.
#pragma once

#include "Controle.h"

#include <QString>
#include <functional>
#include <utility>

namespace galvia {

// A frame grouping other controls (the browsing panel).
class Cadre : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    Cadre(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
};

class Etiquette : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    Etiquette(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);
    // Flat (true) or three-dimensional (false) look.
    bool plat() const { return plat_; }
    void setPlat(bool p);

private:
    QString caption_;
    bool plat_ = false;
};

class Bouton : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    Bouton(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);

private:
    QString caption_;
};

class BarreDefilement : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    BarreDefilement(Fenetre& f, QString nom, bool verticale, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur)
        , verticale_(verticale) {}
    bool verticale() const { return verticale_; }
    int min() const { return min_; }
    int max() const { return max_; }
    int value() const { return value_; }
    int smallChange() const { return small_; }
    int largeChange() const { return large_; }
    // Writing a different value raises the change event.
    void setValue(int v);
    void setMin(int v);
    // A maximum below the value brings the value down to it (and raises the change event).
    void setMax(int v);
    void setSmallChange(int v);
    void setLargeChange(int v);
    std::function<void()> surChange;

private:
    bool verticale_;
    int min_ = 0, max_ = 32767, value_ = 0, small_ = 1, large_ = 1;
};

} // namespace galvia
