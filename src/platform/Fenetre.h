// A window of Galvia as a plain object: its caption, outer geometry in twips, inner
// size in its own unit, its controls, menus, timer, focus and key events.
#pragma once

#include "Controles.h"

#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace galvia {

// Twips per device-independent pixel (1440 per inch at 96 dpi).
inline constexpr double TwipsParPixel = 15.0;

// The widget side of a window.
class VueFenetre {
public:
    virtual ~VueFenetre() = default;
    virtual void actualiser() = 0;
    // A control created after the view was built (a control-array member).
    virtual void controleAjoute(Controle& c) = 0;
    // The inner size, in screen pixels: as on screen once shown, and before that the size
    // the window will have once shown.
    virtual QSizeF tailleInterne() = 0;
    virtual void fermer() = 0;
};

class Fenetre {
public:
    // `twips`: the inner unit is the twip (slide sheet); otherwise the pixel.
    explicit Fenetre(QString nom, bool twips = false);
    ~Fenetre();
    Fenetre(const Fenetre&) = delete;
    Fenetre& operator=(const Fenetre&) = delete;

    const QString& nom() const { return nom_; }
    bool enTwips() const { return twips_; }
    // Screen pixels per device-independent pixel: 2 on a screen scaled to 200 %. Pixels
    // are the screen's own: a picture shows one of its pixels per screen pixel.
    double densite() const { return densite_; }
    void setDensite(double d) { densite_ = d > 0 ? d : 1.0; }
    // Inner units per screen pixel: 1 for pixels; for twips, the twips of a screen pixel
    // at the screen's resolution (1440 per inch), 15 at 96 pixels per inch.
    double unite() const { return twips_ ? TwipsParPixel / densite_ : 1.0; }
    // A length given in twips, in the inner unit: itself for twips; for pixels, the
    // screen pixels it covers at the window's density (15 twips a pixel at 96 dpi, so
    // twice as many pixels on a screen scaled to 200 %).
    double depuisTwips(double twips) const {
        return twips_ ? twips : twips * densite_ / TwipsParPixel;
    }

    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);

    // Outer geometry, in twips.
    double left() const { return left_; }
    double top() const { return top_; }
    double width() const { return width_; }
    double height() const { return height_; }
    void move(double left, double top, double width, double height);

    // Inner size in the inner unit, as the view measures it.
    double scaleWidth();
    double scaleHeight();
    // Used by views without a screen: sets the inner size, in pixels.
    void setTailleInterneSansVue(QSizeF pixels) { tailleSansVue_ = pixels; }

    bool occupe() const { return sablier_; }
    // Hourglass (true) or default (false) mouse pointer.
    void setSablier(bool s);

    const std::vector<Controle*>& controles() const { return controles_; }
    Controle* focus() const { return focus_; }

    std::vector<std::unique_ptr<ElementMenu>>& menus() { return menus_; }
    ElementMenu& ajouterMenu(QString nom, QString caption);
    Minuterie* minuterie() { return minuterie_.get(); }
    Minuterie& creerMinuterie();

    // Key pressed anywhere in the window, seen before the focused control.
    std::function<void(int code, int shift)> surTouche;
    void toucher(int code, int shift = 0);
    // Pointer over the window's free surface.
    std::function<void()> surSurvol;
    void survoler();
    // The window became the active one.
    std::function<void()> surActivation;
    void activer();

    // The inner size on screen changed after the window was shown: the window system
    // gave it another size than the one measured before (a title bar, a panel), or the
    // user resized it.
    std::function<void()> surRedimension;
    void redimensionner();

    // The window is being closed (by its logic, the user or the end of the program).
    std::function<void()> surFermeture;

    void attacher(VueFenetre* vue) { vue_ = vue; }
    VueFenetre* vue() const { return vue_; }
    void fermer();
    bool ferme() const { return ferme_; }

private:
    friend class Controle;
    friend void annoncerControle(Controle& c);
    void enregistrer(Controle* c);
    void retirer(Controle* c);
    void donnerFocus(Controle* c);
    void changer();

    QString nom_;
    bool twips_;
    double densite_ = 1.0;
    QString caption_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    QSizeF tailleSansVue_{1024, 768};
    bool sablier_ = false;
    bool ferme_ = false;
    std::vector<Controle*> controles_;
    Controle* focus_ = nullptr;
    std::vector<std::unique_ptr<ElementMenu>> menus_;
    std::unique_ptr<Minuterie> minuterie_;
    VueFenetre* vue_ = nullptr;
};

} // namespace galvia
