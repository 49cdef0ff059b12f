// The binders between Galvia's controls and their Qt widgets: one per control kind, each
// building its widget, mirroring the control's state into it and feeding the user's
// input back. The window view picks a control's binder by the control's kind (lierControle).
#pragma once

#include "../Controles.h"

#include <QRect>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace galvia {

class LiaisonQt : public VueControle {
public:
    LiaisonQt(Controle& c, QWidget* widget)
        : controle_(c)
        , widget_(widget) {}
    Controle& controle() const { return controle_; }
    QWidget* widget() const { return widget_; }
    // The widget that receives the pointer over the control (a list's viewport).
    virtual QWidget* surface() const { return widget_; }
    // A key the window has already handled, pressed while this control has the focus.
    virtual void touche(int, int) {}
    void donnerFocus() override;

private:
    Controle& controle_;
    QWidget* widget_;
};

// The binder of a control, with its widget made in `parent`. `fenetrePrincipale`: the
// control belongs to the main window (not the slide sheet).
std::unique_ptr<LiaisonQt> lierControle(Controle& c, QWidget* parent, bool fenetrePrincipale);

// One binder per kind, each in its own file.
std::unique_ptr<LiaisonQt> lier(Cadre& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(BoiteImage& c, QWidget* parent, bool fondGris);
std::unique_ptr<LiaisonQt> lier(ControleImage& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(Etiquette& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(Bouton& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(BarreDefilement& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(ListeLecteurs& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(ListeDossiers& c, QWidget* parent);
std::unique_ptr<LiaisonQt> lier(ListeFichiers& c, QWidget* parent);

// What the binders share.

// A control's box in screen pixels, rounded to whole ones.
QRect boiteEcran(const Controle& c);
// A control's widget geometry: its box in device-independent pixels (the same at a
// density of 1).
QRect rectDe(const Controle& c);
// Mirrors the common state of a control: geometry, visibility, enabled, name.
void appliquerCommun(QWidget* w, const Controle& c, const QRect& r);
void appliquerCommun(QWidget* w, const Controle& c);
// A tooltip reads markup when its text looks like some: a name is escaped into it.
QString texteBulle(const QString& texte);

// A view that calls a function to mirror its object (menu items, the timer).
class VueFonction : public VueControle {
public:
    explicit VueFonction(std::function<void()> maj)
        : maj_(std::move(maj)) {}
    void actualiser() override { maj_(); }

private:
    std::function<void()> maj_;
};

} // namespace galvia
