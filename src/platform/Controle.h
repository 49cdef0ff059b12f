// A control of Galvia's windows as a plain object: its state and the semantics the window
// logic relies on (a change event when a value is set, focus, clicks). The Qt layer mirrors
// each control in a widget and feeds user input back into it; the tests drive it directly.
// Each kind of control has its own header; Controles.h brings them all.
#pragma once

#include <QString>
#include <functional>

namespace galvia {

class Fenetre;

// The widget side of a control: told when the control's state changed.
class VueControle {
public:
    virtual ~VueControle() = default;
    virtual void actualiser() = 0;
    virtual void donnerFocus() {}
};

class Cadre;
class BoiteImage;
class ControleImage;
class Etiquette;
class Bouton;
class BarreDefilement;
class ListeLecteurs;
class ListeDossiers;
class ListeFichiers;

// Something done to a control according to its kind (the Qt layer picks a control's
// widget this way): each kind calls the overload of its own class.
class VisiteurControle {
public:
    virtual ~VisiteurControle() = default;
    virtual void visiter(Cadre& c) = 0;
    virtual void visiter(BoiteImage& c) = 0;
    virtual void visiter(ControleImage& c) = 0;
    virtual void visiter(Etiquette& c) = 0;
    virtual void visiter(Bouton& c) = 0;
    virtual void visiter(BarreDefilement& c) = 0;
    virtual void visiter(ListeLecteurs& c) = 0;
    virtual void visiter(ListeDossiers& c) = 0;
    virtual void visiter(ListeFichiers& c) = 0;
};

class Controle {
public:
    Controle(Fenetre& fenetre, QString nom, Controle* conteneur = nullptr);
    virtual ~Controle();
    Controle(const Controle&) = delete;
    Controle& operator=(const Controle&) = delete;

    // Calls the visitor's overload for this control's kind.
    virtual void accepter(VisiteurControle& v) = 0;
    const QString& nom() const { return nom_; }
    Fenetre& fenetre() const { return fenetre_; }
    Controle* conteneur() const { return conteneur_; }

    const QString& nomAccessible() const { return nomAccessible_; }
    void setNomAccessible(const QString& n);

    bool visible() const { return visible_; }
    void setVisible(bool v);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);

    // Position and size in the window's inner unit (pixels or twips).
    double left() const { return left_; }
    double top() const { return top_; }
    double width() const { return width_; }
    double height() const { return height_; }
    void setLeft(double v);
    void setTop(double v);
    void setWidth(double v);
    void setHeight(double v);
    void move(double left, double top);
    void move(double left, double top, double width, double height);
    // Places the control by a geometry given in twips, whatever its window's inner unit.
    void moveTwips(double left, double top, double width, double height);

    // Gives the keyboard focus to the control (ignored while it cannot take it).
    void setFocus();
    bool aLeFocus() const;

    // Events raised by the user (through the Qt layer or a test).
    std::function<void()> surClic;
    std::function<void()> surDoubleClic;
    std::function<void()> surSurvol;
    std::function<void()> surFocus;
    void cliquer();
    void doubleCliquer();
    void survoler();

    void attacher(VueControle* vue) { vue_ = vue; }
    VueControle* vue() const { return vue_; }

protected:
    void changer();

private:
    Fenetre& fenetre_;
    QString nom_;
    Controle* conteneur_;
    QString nomAccessible_;
    bool visible_ = true;
    bool enabled_ = true;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    VueControle* vue_ = nullptr;
    friend class Fenetre;
};

// Tells the window's view that a control was created after the window was built.
void annoncerControle(Controle& c);

} // namespace galvia
