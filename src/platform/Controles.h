// The controls of Galvia's windows as plain objects: their state and the semantics the
// window logic relies on (a change event when a value is set, a maximum that pulls the
// value down, members of a control array). The Qt layer mirrors them in widgets and
// feeds user input back into them; the tests drive them directly.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

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

// A frame grouping other controls (the browsing panel).
class Cadre : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    Cadre(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
};

// A picture box: shows its picture at natural size; with auto-size it takes the
// picture's size (its border included).
class BoiteImage : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    BoiteImage(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const QImage& image() const { return image_; }
    void setImage(QImage image);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool a);
    bool bordure() const { return bordure_; }
    void setBordure(bool b);

private:
    void ajuster();
    QImage image_;
    bool autoSize_ = false;
    bool bordure_ = false;
};

// An image control: stretches its picture to its own box.
class ControleImage : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ControleImage(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const QImage& image() const { return image_; }
    // `apercu`, when given, is the same picture already stretched to some size: the view
    // draws it as it is when that is its box's size in screen pixels, and stretches the
    // picture itself otherwise.
    void setImage(QImage image, QImage apercu = {});
    const QImage& apercu() const { return apercu_; }
    bool bordure() const { return bordure_; }
    void setBordure(bool b);

private:
    QImage image_;
    QImage apercu_;
    bool bordure_ = false;
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

// A mounted volume the user can browse.
struct Volume {
    QString racine;  // "/", "/media/cle/"
    QString libelle; // may be empty
};

// The drive list: the volumes, and the one chosen.
class ListeLecteurs : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ListeLecteurs(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const std::vector<Volume>& volumes() const { return volumes_; }
    void setVolumes(std::vector<Volume> v);
    const QString& drive() const { return drive_; }
    // Choosing another drive raises the change event.
    void setDrive(const QString& racine);
    std::function<void()> surChange;

private:
    std::vector<Volume> volumes_;
    QString drive_;
};

// The folder list: the ancestors of its path from the root down, then the path's
// visible subfolders; List(i) is the full path of entry i.
class ListeDossiers : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ListeDossiers(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const QString& path() const { return path_; }
    // Moves the list to a folder (raises the change event when it differs); throws an
    // Erreur when the folder cannot be listed.
    void setPath(const QString& chemin);
    int listCount() const { return static_cast<int>(entrees_.size()); }
    QString list(int i) const;
    // Depth of entry i in the tree (0 for the root), for display.
    int profondeur(int i) const;
    // Number of entries that are ancestors of the path (the path's own entry included).
    int nbAncetres() const { return nbAncetres_; }
    int listIndex() const { return listIndex_; }
    // A single click: selects entry i and raises the click event.
    void selectionner(int i);
    // A double click or Enter: opens entry i.
    void ouvrir(int i);
    std::function<void()> surChange;
    std::function<void(int code, int shift)> surTouche;

private:
    QString path_;
    QStringList entrees_;
    int nbAncetres_ = 0;
    int listIndex_ = -1;
};

// The file list: the normal files of its path, sorted by name, several selectable.
class ListeFichiers : public Controle {
public:
    void accepter(VisiteurControle& v) override { v.visiter(*this); }
    ListeFichiers(Fenetre& f, QString nom, Controle* conteneur = nullptr)
        : Controle(f, std::move(nom), conteneur) {}
    const QString& path() const { return path_; }
    void setPath(const QString& chemin);
    void refresh();
    int listCount() const { return static_cast<int>(noms_.size()); }
    QString list(int i) const;
    bool selected(int i) const;
    void setSelected(int i, bool s);
    // The entry last double-clicked (or activated by Enter).
    const QString& fileName() const { return fileName_; }
    // A double click or Enter on entry i.
    void activer(int i);

private:
    QString path_;
    QStringList noms_;
    std::vector<bool> selection_;
    QString fileName_;
};

// A menu, or an item of a menu. A separator has the caption "-".
class ElementMenu {
public:
    ElementMenu(QString nom, QString caption, ElementMenu* parent = nullptr,
                QString raccourci = {});
    const QString& nom() const { return nom_; }
    ElementMenu* parent() const { return parent_; }
    const std::vector<std::unique_ptr<ElementMenu>>& enfants() const { return enfants_; }
    ElementMenu& ajouter(QString nom, QString caption, QString raccourci = {});

    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);
    bool checked() const { return checked_; }
    void setChecked(bool c);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    bool visible() const { return visible_; }
    void setVisible(bool v);
    const QString& raccourci() const { return raccourci_; }
    bool separateur() const { return caption_ == QLatin1String("-"); }

    // True when the user can reach it: it and every menu above it visible and enabled.
    bool accessible() const;
    // The user chose the item (menu click or shortcut): runs the handler when reachable.
    void cliquer();
    std::function<void()> surClic;

    void attacher(VueControle* vue) { vue_ = vue; }

private:
    void changer();
    QString nom_, caption_, raccourci_;
    ElementMenu* parent_;
    std::vector<std::unique_ptr<ElementMenu>> enfants_;
    bool checked_ = false, enabled_ = true, visible_ = true;
    VueControle* vue_ = nullptr;
};

// The timer: an interval in milliseconds and a tick event; never switched off.
class Minuterie {
public:
    int interval() const { return interval_; }
    void setInterval(int ms);
    std::function<void()> surTick;
    void tick();
    void attacher(VueControle* vue) { vue_ = vue; }

private:
    int interval_ = 0;
    VueControle* vue_ = nullptr;
};

// Tells the window's view that a control was created after the window was built.
void annoncerControle(Controle& c);

// A control array: member 0 exists from the start; load(k) creates member k as a
// copy of member 0's properties, invisible; the click event receives the index.
template <class T> class TableauControles {
public:
    using Fabrique = std::function<std::unique_ptr<T>(int index)>;
    TableauControles(Fabrique fabrique, std::function<void(T&, const T&)> copier)
        : fabrique_(std::move(fabrique))
        , copier_(std::move(copier)) {
        membres_.push_back(fabrique_(0));
    }
    bool charge(int k) const {
        return k >= 0 && k < static_cast<int>(membres_.size()) && membres_[k];
    }
    T& operator[](int k) { return *membres_.at(k); }
    const T& operator[](int k) const { return *membres_.at(k); }
    void load(int k) {
        if (k <= 0 || charge(k)) return;
        if (static_cast<int>(membres_.size()) <= k) membres_.resize(k + 1);
        membres_[k] = fabrique_(k);
        T& m = *membres_[k];
        copier_(m, *membres_[0]);
        m.setVisible(false);
        annoncerControle(m);
    }
    int taille() const { return static_cast<int>(membres_.size()); }

private:
    Fabrique fabrique_;
    std::function<void(T&, const T&)> copier_;
    std::vector<std::unique_ptr<T>> membres_;
};

// A fixed row of N items (menu items, buttons) sharing one handler, addressed by the
// command each stands for (an enum whose values are the indexes) or by the bare index
// the handler receives.
template <class T, class Commande, std::size_t N> class ParCommande {
public:
    ParCommande() = default;
    // Each item made by `fabrique()`, in index order (for controls, which cannot move).
    template <class F>
    explicit ParCommande(F fabrique)
        : ParCommande(fabrique, std::make_index_sequence<N>{}) {}
    T& operator[](Commande c) { return (*this)[static_cast<int>(c)]; }
    const T& operator[](Commande c) const { return (*this)[static_cast<int>(c)]; }
    T& operator[](int index) { return items_.at(static_cast<std::size_t>(index)); }
    const T& operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }
    static constexpr int size() { return static_cast<int>(N); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    template <class F, std::size_t... I>
    ParCommande(F& fabrique, std::index_sequence<I...>)
        : items_{{((void)I, fabrique())...}} {}
    std::array<T, N> items_{};
};

} // namespace galvia
