#include "Controles.h"

#include "Erreurs.h"
#include "Fenetre.h"
#include "Fichiers.h"
#include "Texte.h"

#include <QDir>
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

// --- picture box and image control ---

void BoiteImage::setImage(QImage image) {
    image_ = std::move(image);
    ajuster();
    changer();
}

void BoiteImage::setAutoSize(bool a) {
    autoSize_ = a;
    ajuster();
    changer();
}

void BoiteImage::setBordure(bool b) {
    bordure_ = b;
    ajuster();
    changer();
}

void BoiteImage::ajuster() {
    if (!autoSize_ || image_.isNull()) return;
    const double u = fenetre().unite();
    const int b = bordure_ ? 2 : 0;
    move(left(), top(), (image_.width() + b) * u, (image_.height() + b) * u);
}

void ControleImage::setImage(QImage image, QImage apercu) {
    image_ = std::move(image);
    apercu_ = std::move(apercu);
    changer();
}

void ControleImage::setBordure(bool b) {
    bordure_ = b;
    changer();
}

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

// --- drive list ---

void ListeLecteurs::setVolumes(std::vector<Volume> v) {
    volumes_ = std::move(v);
    changer();
}

void ListeLecteurs::setDrive(const QString& racine) {
    if (drive_ == racine) return;
    drive_ = racine;
    changer();
    if (surChange) surChange();
}

// --- folder list ---

void ListeDossiers::setPath(const QString& chemin) {
    QString p = QDir::cleanPath(chemin);
    if (p.isEmpty()) p = QStringLiteral("/");
    verifierDossier(p);
    if (p == path_) return;
    path_ = p;
    entrees_.clear();
    // Ancestors from the root down to the path itself.
    entrees_.append(QStringLiteral("/"));
    if (p != QLatin1String("/")) {
        const QStringList parts = p.split(Separateur, Qt::SkipEmptyParts);
        QString acc;
        for (const QString& part : parts) {
            acc += Separateur + part;
            entrees_.append(acc);
        }
    }
    nbAncetres_ = static_cast<int>(entrees_.size());
    QStringList sous = sousDossiers(p);
    std::sort(sous.begin(), sous.end(),
              [](const QString& a, const QString& b) { return comparerTexte(a, b) < 0; });
    for (const QString& s : sous)
        entrees_.append(avecSeparateur(p) + s);
    listIndex_ = nbAncetres_ - 1;
    changer();
    if (surChange) surChange();
}

QString ListeDossiers::list(int i) const {
    return i >= 0 && i < entrees_.size() ? entrees_.at(i) : QString();
}

int ListeDossiers::profondeur(int i) const {
    if (i < nbAncetres_) return i;
    return nbAncetres_;
}

void ListeDossiers::selectionner(int i) {
    if (i < 0 || i >= entrees_.size()) return;
    listIndex_ = i;
    if (enabled() && surClic) surClic();
}

void ListeDossiers::ouvrir(int i) {
    if (i < 0 || i >= entrees_.size() || !enabled()) return;
    try {
        setPath(entrees_.at(i));
    } catch (const Erreur&) {
        // A folder that vanished or cannot be read: the list stays where it was.
    }
}

// --- file list ---

void ListeFichiers::setPath(const QString& chemin) {
    path_ = chemin;
    refresh();
}

void ListeFichiers::refresh() {
    noms_.clear();
    ListageDossier l(path_, ListageDossier::Normal);
    for (QString n = l.suivant(); !n.isEmpty(); n = l.suivant())
        noms_.append(n);
    std::sort(noms_.begin(), noms_.end(),
              [](const QString& a, const QString& b) { return comparerTexte(a, b) < 0; });
    selection_.assign(noms_.size(), false);
    changer();
}

QString ListeFichiers::list(int i) const {
    return i >= 0 && i < noms_.size() ? noms_.at(i) : QString();
}

bool ListeFichiers::selected(int i) const {
    return i >= 0 && i < static_cast<int>(selection_.size()) && selection_[i];
}

void ListeFichiers::setSelected(int i, bool s) {
    if (i < 0 || i >= static_cast<int>(selection_.size()) || selection_[i] == s) return;
    selection_[i] = s;
    changer();
}

void ListeFichiers::activer(int i) {
    if (i < 0 || i >= noms_.size() || !enabled()) return;
    fileName_ = noms_.at(i);
    if (surDoubleClic) surDoubleClic();
}

// --- menus ---

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

// --- timer ---

void Minuterie::setInterval(int ms) {
    interval_ = ms;
    if (vue_) vue_->actualiser();
}

void Minuterie::tick() {
    if (surTick) surTick();
}

} // namespace galvia
