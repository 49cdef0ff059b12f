#include "VueFenetreQt.h"

#include "../Touches.h"
#include "PlateformeQt.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QWindow>
#include <cmath>

namespace galvia {

namespace {

// The native scan code of the top-row key of 1 (then 2 to 9, and 0 after 9) where key
// events carry xkb key codes (the evdev code + 8): X11, Wayland, and the offscreen
// platform, whose key events the tests build with the same codes. 0 where they carry
// other codes: the digit row is then read from the key the layout types.
quint32 scanChiffre1() {
    static const quint32 code = [] {
        const QString p = QGuiApplication::platformName();
        return p == QLatin1String("windows") || p == QLatin1String("cocoa") ||
                       p == QLatin1String("ios") || p == QLatin1String("android")
                   ? 0u
                   : 10u;
    }();
    return code;
}

} // namespace

int codeTouche(const QKeyEvent& e) {
    const int k = e.key();
    const bool pave = e.modifiers() & Qt::KeypadModifier;
    const quint32 premier = scanChiffre1(), scan = e.nativeScanCode();
    if (!pave && premier != 0 && scan != 0) {
        // The digit row by key position: a French keyboard types & é " ' there, and the
        // digits only with Shift; the key is a digit key either way.
        if (scan >= premier && scan < premier + 10)
            return touche::Chiffre0 + static_cast<int>((scan - premier + 1) % 10);
    } else if (k >= Qt::Key_0 && k <= Qt::Key_9) {
        return (pave ? touche::PaveChiffre0 : touche::Chiffre0) + (k - Qt::Key_0);
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return touche::F1 + (k - Qt::Key_F1);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 65 + (k - Qt::Key_A);
    switch (k) {
    case Qt::Key_Escape:
        return touche::Echap;
    case Qt::Key_Space:
        return touche::Espace;
    case Qt::Key_PageUp:
        return touche::PageHaut;
    case Qt::Key_PageDown:
        return touche::PageBas;
    case Qt::Key_End:
        return touche::Fin;
    case Qt::Key_Home:
        return touche::Debut;
    case Qt::Key_Left:
        return touche::Gauche;
    case Qt::Key_Up:
        return touche::Haut;
    case Qt::Key_Right:
        return touche::Droite;
    case Qt::Key_Down:
        return touche::Bas;
    case Qt::Key_Insert:
        return touche::Inser;
    case Qt::Key_Delete:
        return touche::Suppr;
    case Qt::Key_Plus:
        return pave ? touche::PavePlus : 187;
    case Qt::Key_Minus:
        return pave ? 109 : 189;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    default:
        return 0;
    }
}

int etatMaj(const QKeyEvent& e) {
    int s = 0;
    if (e.modifiers() & Qt::ShiftModifier) s |= touche::MajMask;
    if (e.modifiers() & Qt::ControlModifier) s |= touche::CtrlMask;
    if (e.modifiers() & Qt::AltModifier) s |= touche::AltMask;
    return s;
}

namespace {

// A control's box in screen pixels, rounded to whole ones.
QRect boiteEcran(const Controle& c) {
    const double u = c.fenetre().unite();
    const auto px = [u](double v) { return static_cast<int>(std::lround(v / u)); };
    return {px(c.left()), px(c.top()), px(c.width()), px(c.height())};
}

// A control's widget geometry: its box in device-independent pixels (the same at a
// density of 1).
QRect rectDe(const Controle& c) {
    const double d = c.fenetre().densite();
    const QRect r = boiteEcran(c);
    if (d == 1.0) return r;
    const auto px = [d](int v) { return static_cast<int>(std::lround(v / d)); };
    return {px(r.left()), px(r.top()), px(r.width()), px(r.height())};
}

// Mirrors the common state of a control: geometry, visibility, enabled, name.
void appliquerCommun(QWidget* w, const Controle& c, const QRect& r) {
    if (w->geometry() != r) w->setGeometry(r);
    if (w->isEnabled() != c.enabled()) w->setEnabled(c.enabled());
    if (!c.nomAccessible().isEmpty() && w->accessibleName() != texteAffiche(c.nomAccessible()))
        w->setAccessibleName(texteAffiche(c.nomAccessible()));
    if (w->isVisibleTo(w->parentWidget()) != c.visible()) w->setVisible(c.visible());
}

void appliquerCommun(QWidget* w, const Controle& c) {
    appliquerCommun(w, c, rectDe(c));
}

const QColor Gris(0x80, 0x80, 0x80);

// A tooltip reads markup when its text looks like some: a name is escaped into it.
QString texteBulle(const QString& texte) {
    return QStringLiteral("<p style='white-space:pre'>") + texteAffiche(texte).toHtmlEscaped() +
           QStringLiteral("</p>");
}

// A picture at natural size (picture box) or stretched to the widget (image control).
// It paints in screen pixels: at natural size one picture pixel covers one screen pixel
// whatever the screen's density, and a box may start inside a device-independent pixel.
class WidgetImage : public QWidget {
public:
    WidgetImage(Controle& c, QWidget* parent)
        : QWidget(parent)
        , c_(c) {
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setFocusPolicy(c.type() == TypeControle::BoiteImage ? Qt::StrongFocus : Qt::NoFocus);
    }
    // Mirrors the control: the smallest widget that holds its box, and the box inside it.
    void actualiser(const QImage& image, bool etiree, bool bordure, bool fondGris) {
        const double d = c_.fenetre().densite();
        const QRect ecran = boiteEcran(c_);
        const int x = static_cast<int>(std::floor(ecran.left() / d));
        const int y = static_cast<int>(std::floor(ecran.top() / d));
        const QRect geometrie(x, y,
                              static_cast<int>(std::ceil((ecran.left() + ecran.width()) / d)) - x,
                              static_cast<int>(std::ceil((ecran.top() + ecran.height()) / d)) - y);
        const QRect boite(ecran.topLeft() - QPoint(static_cast<int>(std::lround(x * d)),
                                                   static_cast<int>(std::lround(y * d))),
                          ecran.size());
        appliquerCommun(this, c_, geometrie);
        if (image.cacheKey() != image_.cacheKey() || image.isNull() != image_.isNull())
            cache_ = QImage();
        image_ = image;
        boite_ = boite;
        densite_ = d;
        etiree_ = etiree;
        bordure_ = bordure;
        fondGris_ = fondGris;
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        // From here on, one unit is one screen pixel.
        p.scale(1 / densite_, 1 / densite_);
        const QRect expose =
            QRectF(QRectF(e->rect()).topLeft() * densite_, QRectF(e->rect()).size() * densite_)
                .toAlignedRect();
        if (fondGris_) p.fillRect(expose, Gris);
        const int b = bordure_ ? 1 : 0;
        const QRect interieur = boite_.adjusted(b, b, -b, -b);
        if (!image_.isNull() && !interieur.isEmpty()) {
            if (etiree_) {
                if (cache_.size() != interieur.size())
                    cache_ = image_.scaled(interieur.size(), Qt::IgnoreAspectRatio,
                                           Qt::SmoothTransformation);
                p.drawImage(interieur.topLeft(), cache_);
            } else {
                const QRect cible = expose.intersected(QRect(interieur.topLeft(), image_.size()))
                                        .intersected(interieur);
                p.drawImage(cible, image_, cible.translated(-interieur.topLeft()));
            }
        }
        if (bordure_) {
            const QColor trait = palette().color(QPalette::WindowText);
            const QRect& r = boite_;
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), trait);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), trait);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), trait);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), trait);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) c_.cliquer();
    }

private:
    Controle& c_;
    QImage image_, cache_;
    QRect boite_;
    double densite_ = 1.0;
    bool etiree_ = false, bordure_ = false, fondGris_ = false;
};

// The depth of a folder list entry in the tree (0 for the root).
constexpr int RoleProfondeur = Qt::UserRole + 1;

// Draws each folder list entry indented by its depth, two blanks a level: the entry's
// text, and so what a screen reader reads, is the folder's name alone.
class DelegueDossiers : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem decale(option);
        decale.rect.setLeft(decale.rect.left() + retrait(option, index));
        QStyledItemDelegate::paint(p, decale, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(retrait(option, index), 0);
    }

private:
    static int retrait(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(RoleProfondeur).toInt() * 2 *
               option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
    }
};

class EtiquetteQt : public QLabel {
public:
    EtiquetteQt(Controle& c, QWidget* parent)
        : QLabel(parent)
        , c_(c) {
        setMouseTracking(true);
        setTextFormat(Qt::PlainText); // a caption may hold a file name: never markup
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setAutoFillBackground(true);
    }

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override { c_.doubleCliquer(); }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) c_.cliquer();
    }
    void mouseMoveEvent(QMouseEvent*) override { c_.survoler(); }

private:
    Controle& c_;
};

// A view that calls a function to mirror the control.
class VueFonction : public VueControle {
public:
    VueFonction(std::function<void()> maj, std::function<void()> focus = {})
        : maj_(std::move(maj))
        , focus_(std::move(focus)) {}
    void actualiser() override { maj_(); }
    void donnerFocus() override {
        if (focus_) focus_();
    }

private:
    std::function<void()> maj_, focus_;
};

} // namespace

VueFenetreQt::VueFenetreQt(Fenetre& fenetre, QWidget* parent)
    : QMainWindow(parent)
    , fenetre_(fenetre)
    , centre_(new QWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The window counts in the screen's own pixels.
    fenetre_.setDensite(densiteEcran());
    centre_->setMouseTracking(true);
    setCentralWidget(centre_);
    if (fenetre_.enTwips()) {
        // The slide sheet's controls are small: its buttons and labels take a small font.
        QFont petite = font();
        petite.setPixelSize(11);
        setFont(petite);
    }
    construireMenus();
    for (Controle* c : fenetre_.controles())
        creerWidget(*c);
    if (Minuterie* m = fenetre_.minuterie()) {
        minuterie_ = new QTimer(this);
        minuterie_->setTimerType(Qt::PreciseTimer);
        connect(minuterie_, &QTimer::timeout, this, [m] { m->tick(); });
        auto* vue = new VueFonction([this, m] {
            if (m->interval() > 0) {
                minuterie_->start(m->interval());
            } else {
                minuterie_->stop();
            }
        });
        vues_.emplace_back(vue);
        m->attacher(vue);
        vue->actualiser();
    }
    // One application-wide filter sees every key and pointer move of the window.
    qApp->installEventFilter(this);
    fenetre_.attacher(this);
    actualiser();
}

VueFenetreQt::~VueFenetreQt() {
    qApp->removeEventFilter(this);
    fenetre_.attacher(nullptr);
    for (Controle* c : fenetre_.controles())
        c->attacher(nullptr);
    std::function<void(ElementMenu&)> detacher = [&](ElementMenu& m) {
        m.attacher(nullptr);
        for (auto& e : m.enfants())
            detacher(*e);
    };
    for (auto& m : fenetre_.menus())
        detacher(*m);
    if (Minuterie* m = fenetre_.minuterie()) m->attacher(nullptr);
}

void VueFenetreQt::construireMenus() {
    if (fenetre_.menus().empty()) return;
    std::function<void(ElementMenu&, QMenu*)> ajouter = [&](ElementMenu& m, QMenu* dans) {
        QAction* a = nullptr;
        if (!m.enfants().empty()) {
            auto* menu = new QMenu(m.caption(), this);
            a = menu->menuAction();
            for (auto& e : m.enfants())
                ajouter(*e, menu);
        } else if (m.separateur()) {
            a = new QAction(this);
            a->setSeparator(true);
        } else {
            a = new QAction(m.caption(), this);
            if (!m.raccourci().isEmpty()) {
                a->setShortcut(QKeySequence(m.raccourci()));
                a->setShortcutContext(Qt::WindowShortcut);
                addAction(a); // reachable by its key whatever the menus show
            }
            connect(a, &QAction::triggered, this, [a = QPointer<QAction>(a), &m] {
                m.cliquer();
                // Qt has flipped a checkable item's mark by itself: the mark shows the
                // program's state, which the command may have left as it was.
                if (a && a->isChecked() != m.checked()) a->setChecked(m.checked());
            });
        }
        if (dans)
            dans->addAction(a);
        else
            menuBar()->addAction(a);
        actions_.insert(&m, a);
        auto* vue = new VueFonction([a, &m] {
            const QString texte = texteAffiche(m.caption());
            if (a->text() != texte && !m.separateur()) {
                a->setText(texte);
                if (QMenu* sous = a->menu()) sous->setTitle(texte);
            }
            if (m.checked() != a->isChecked()) {
                a->setCheckable(true);
                a->setChecked(m.checked());
            }
            a->setEnabled(m.enabled());
            a->setVisible(m.visible());
        });
        vues_.emplace_back(vue);
        m.attacher(vue);
        vue->actualiser();
    };
    for (auto& m : fenetre_.menus())
        ajouter(*m, nullptr);
}

void VueFenetreQt::creerWidget(Controle& c) {
    QWidget* parent = c.conteneur() ? widgets_.value(c.conteneur(), centre_) : centre_;
    QWidget* w = nullptr;
    std::function<void()> maj;
    std::function<void()> focus;
    const bool fenetrePrincipale = !fenetre_.enTwips();
    switch (c.type()) {
    case TypeControle::Cadre: {
        auto* f = new QFrame(parent);
        f->setFrameShape(QFrame::StyledPanel);
        w = f;
        maj = [f, &c] { appliquerCommun(f, c); };
        break;
    }
    case TypeControle::BoiteImage: {
        auto& b = static_cast<BoiteImage&>(c);
        auto* wi = new WidgetImage(c, parent);
        w = wi;
        maj = [wi, &b, fenetrePrincipale] {
            wi->actualiser(b.image(), false, b.bordure(), fenetrePrincipale);
        };
        focus = [wi] { wi->setFocus(Qt::OtherFocusReason); };
        break;
    }
    case TypeControle::ControleImage: {
        auto& ic = static_cast<ControleImage&>(c);
        auto* wi = new WidgetImage(c, parent);
        w = wi;
        maj = [wi, &ic] { wi->actualiser(ic.image(), true, ic.bordure(), false); };
        break;
    }
    case TypeControle::Etiquette: {
        auto& e = static_cast<Etiquette&>(c);
        auto* l = new EtiquetteQt(c, parent);
        w = l;
        maj = [l, &e] {
            appliquerCommun(l, e);
            const QString t = texteAffiche(e.caption());
            if (l->text() != t) l->setText(t);
            // A label without a name of its own is read by its caption.
            if (e.nomAccessible().isEmpty() && l->accessibleName() != t) l->setAccessibleName(t);
            l->setFrameStyle(e.plat() ? QFrame::NoFrame : (QFrame::Panel | QFrame::Raised));
            if (e.fenetre().enTwips()) {
                // A caption fits its label's height.
                QFont f = l->font();
                f.setPixelSize(std::clamp(l->height() - 4, 7, 11));
                if (f != l->font()) l->setFont(f);
            }
        };
        break;
    }
    case TypeControle::Bouton: {
        auto& bt = static_cast<Bouton&>(c);
        auto* pb = new QPushButton(parent);
        pb->setFocusPolicy(Qt::NoFocus);
        connect(pb, &QPushButton::clicked, this, [&c] { c.cliquer(); });
        w = pb;
        maj = [pb, &bt] {
            appliquerCommun(pb, bt);
            if (pb->text() != bt.caption()) pb->setText(bt.caption());
            if (pb->accessibleName().isEmpty())
                pb->setAccessibleName(QString(bt.caption()).remove(QLatin1Char('&')));
        };
        break;
    }
    case TypeControle::BarreDefilement: {
        auto& bd = static_cast<BarreDefilement&>(c);
        auto* sb = new QScrollBar(bd.verticale() ? Qt::Vertical : Qt::Horizontal, parent);
        // The picture moves when a value is committed, not during a drag.
        sb->setTracking(false);
        sb->setFocusPolicy(Qt::NoFocus);
        connect(sb, &QScrollBar::valueChanged, this, [&bd](int v) { bd.setValue(v); });
        w = sb;
        maj = [sb, &bd] {
            appliquerCommun(sb, bd);
            const QSignalBlocker bloque(sb);
            sb->setRange(bd.min(), std::max(bd.min(), bd.max()));
            sb->setSingleStep(std::max(1, bd.smallChange()));
            sb->setPageStep(std::max(1, bd.largeChange()));
            sb->setValue(bd.value());
        };
        break;
    }
    case TypeControle::ListeLecteurs: {
        auto& ll = static_cast<ListeLecteurs&>(c);
        auto* cb = new QComboBox(parent);
        cb->setFont(QFont(QStringLiteral("Arial")));
        connect(cb, &QComboBox::activated, this, [&ll, cb](int i) {
            const QString racine = cb->itemData(i).toString();
            QTimer::singleShot(0, cb, [&ll, racine] { ll.setDrive(racine); });
        });
        w = cb;
        maj = [cb, &ll] {
            appliquerCommun(cb, ll);
            const QSignalBlocker bloque(cb);
            if (cb->count() != static_cast<int>(ll.volumes().size())) {
                cb->clear();
                for (const Volume& v : ll.volumes())
                    cb->addItem(v.libelle.isEmpty() ? v.racine
                                                    : v.racine + QStringLiteral(" [") + v.libelle +
                                                          QLatin1Char(']'),
                                v.racine);
            }
            const int i = cb->findData(ll.drive());
            if (i >= 0) cb->setCurrentIndex(i);
        };
        focus = [cb] { cb->setFocus(Qt::OtherFocusReason); };
        break;
    }
    case TypeControle::ListeDossiers: {
        auto& ld = static_cast<ListeDossiers&>(c);
        auto* lw = new QListWidget(parent);
        lw->setItemDelegate(new DelegueDossiers(lw));
        lw->setFont(QFont(QStringLiteral("Arial")));
        lw->setMouseTracking(true);
        lw->viewport()->setMouseTracking(true);
        connect(lw, &QListWidget::itemClicked, this,
                [&ld, lw](QListWidgetItem* it) { ld.selectionner(lw->row(it)); });
        connect(lw, &QListWidget::itemActivated, this, [&ld, lw](QListWidgetItem* it) {
            const int i = lw->row(it);
            // The list is rebuilt: leave Qt's handler first.
            QTimer::singleShot(0, lw, [&ld, i] { ld.ouvrir(i); });
        });
        w = lw;
        auto chemin = std::make_shared<QString>();
        auto ouvert = std::make_shared<QIcon>(), ferme = std::make_shared<QIcon>();
        maj = [lw, &ld, chemin, ouvert, ferme] {
            appliquerCommun(lw, ld);
            if (*chemin == ld.path() && lw->count() == ld.listCount()) return;
            // The style's icons are looked up once: a lookup per entry is slow.
            if (ouvert->isNull()) {
                *ouvert = lw->style()->standardIcon(QStyle::SP_DirOpenIcon);
                *ferme = lw->style()->standardIcon(QStyle::SP_DirClosedIcon);
            }
            *chemin = ld.path();
            const QSignalBlocker bloque(lw);
            lw->clear();
            for (int i = 0; i < ld.listCount(); ++i) {
                const QString p = ld.list(i);
                QString nom =
                    p == QLatin1String("/") ? p : p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
                // Open folders down to the path, closed ones below it, indented by depth.
                auto* it =
                    new QListWidgetItem(i < ld.nbAncetres() ? *ouvert : *ferme, texteAffiche(nom));
                it->setData(RoleProfondeur, ld.profondeur(i));
                it->setToolTip(texteBulle(p));
                lw->addItem(it);
            }
            lw->setCurrentRow(ld.listIndex());
        };
        focus = [lw] { lw->setFocus(Qt::OtherFocusReason); };
        break;
    }
    case TypeControle::ListeFichiers: {
        auto& lf = static_cast<ListeFichiers&>(c);
        auto* lv = new QListView(parent);
        auto* modele = new QStringListModel(lv);
        lv->setModel(modele);
        lv->setFont(QFont(QStringLiteral("Arial")));
        lv->setUniformItemSizes(true);
        lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
        lv->setMouseTracking(true);
        lv->viewport()->setMouseTracking(true);
        auto synchro = std::make_shared<bool>(false);
        connect(lv->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [&lf, lv, synchro] {
                    if (*synchro) return;
                    *synchro = true;
                    const QItemSelectionModel* s = lv->selectionModel();
                    for (int i = 0; i < lf.listCount(); ++i)
                        lf.setSelected(i, s->isRowSelected(i, {}));
                    *synchro = false;
                });
        connect(lv, &QListView::activated, this,
                [&lf](const QModelIndex& i) { lf.activer(i.row()); });
        w = lv;
        auto noms = std::make_shared<QStringList>();
        maj = [lv, modele, &lf, noms, synchro] {
            appliquerCommun(lv, lf);
            if (*synchro) return;
            QStringList actuels;
            actuels.reserve(lf.listCount());
            for (int i = 0; i < lf.listCount(); ++i)
                actuels.append(texteAffiche(lf.list(i)));
            *synchro = true;
            if (actuels != *noms) {
                *noms = actuels;
                modele->setStringList(actuels);
            }
            QItemSelection sel;
            for (int i = 0; i < lf.listCount(); ++i)
                if (lf.selected(i)) sel.select(modele->index(i), modele->index(i));
            lv->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
            *synchro = false;
        };
        focus = [lv] { lv->setFocus(Qt::OtherFocusReason); };
        break;
    }
    }
    if (!focus) focus = [w] { w->setFocus(Qt::OtherFocusReason); };
    w->setObjectName(c.nom());
    if (c.surSurvol && c.type() != TypeControle::ListeDossiers &&
        c.type() != TypeControle::ListeFichiers) {
        w->setMouseTracking(true);
    }
    widgets_.insert(&c, w);
    auto* vue = new VueFonction(maj, focus);
    vues_.emplace_back(vue);
    c.attacher(vue);
    w->raise();
    vue->actualiser();
}

void VueFenetreQt::controleAjoute(Controle& c) {
    creerWidget(c);
    // A control-array member takes its first member's place in the stacking order, not
    // the top of the window.
    QWidget* w = widgets_.value(&c);
    for (const Controle* autre : fenetre_.controles())
        if (autre != &c && autre->nom() == c.nom()) {
            QWidget* premier = widgets_.value(autre);
            if (w && premier && premier->parentWidget() == w->parentWidget())
                w->stackUnder(premier);
            break;
        }
}

void VueFenetreQt::actualiser() {
    if (windowTitle() != texteAffiche(fenetre_.caption()))
        setWindowTitle(texteAffiche(fenetre_.caption()));
    if (fenetre_.occupe())
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
    if (!geometrieAppliquee_ && fenetre_.width() > 0) {
        // The whole available screen, title bar kept.
        geometrieAppliquee_ = true;
        if (const QScreen* ecran = QGuiApplication::primaryScreen())
            setGeometry(ecran->availableGeometry());
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

QSizeF VueFenetreQt::tailleInterne() {
    if (!isVisible()) showMaximized();
    // Wait until the window is on screen at its final size.
    QElapsedTimer t;
    t.start();
    while (windowHandle() && !windowHandle()->isExposed() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
    return QSizeF(centre_->size()) * fenetre_.densite();
}

void VueFenetreQt::fermer() {
    if (fermeture_) return;
    fermeture_ = true;
    close();
}

void VueFenetreQt::closeEvent(QCloseEvent* e) {
    fermeture_ = true;
    fenetre_.fermer();
    e->accept();
    Q_EMIT fermee();
}

bool VueFenetreQt::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) fenetre_.activer();
    return QMainWindow::event(e);
}

bool VueFenetreQt::eventFilter(QObject* objet, QEvent* evenement) {
    const QEvent::Type type = evenement->type();
    if (type == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(objet);
        // The key's first receiver: the window's focus widget, or the window itself.
        // Qt keeps a focus widget hidden by a change of mode as the window's focus
        // widget, and hands it the keys, which it may accept (a list's type-ahead).
        QWidget* premier = focusWidget() ? focusWidget() : this;
        if (w && w == premier && isActiveWindow()) {
            const auto* ke = static_cast<QKeyEvent*>(evenement);
            // Every key reaches the window's handler first, and is not consumed.
            const int code = codeTouche(*ke);
            const int maj = etatMaj(*ke);
            if (code != 0) {
                fenetre_.toucher(code, maj);
                for (auto it = widgets_.cbegin(); it != widgets_.cend(); ++it)
                    if (it.value() == w && it.key()->type() == TypeControle::ListeDossiers) {
                        auto* ld =
                            const_cast<ListeDossiers*>(static_cast<const ListeDossiers*>(it.key()));
                        if (ld->surTouche) ld->surTouche(code, maj);
                    }
            }
        }
        return false;
    }
    if (type == QEvent::MouseMove) {
        if (objet == centre_) {
            fenetre_.survoler();
            return false;
        }
        for (auto it = widgets_.cbegin(); it != widgets_.cend(); ++it) {
            auto* av = qobject_cast<QAbstractItemView*>(it.value());
            if (objet == it.value() || (av && objet == av->viewport())) {
                const_cast<Controle*>(it.key())->survoler();
                break;
            }
        }
    }
    return false;
}

} // namespace galvia
