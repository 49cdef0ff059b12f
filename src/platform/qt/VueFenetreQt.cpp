#include "VueFenetreQt.h"

#include "LiaisonQt.h"
#include "MenusQt.h"
#include "PlateformeQt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace galvia {

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
    construireMenus(*this, fenetre_, actions_, vues_);
    // The window's keys and pointer moves: on the window itself when no control has the
    // focus, its menu bar, its free surface, and each control's widget.
    surveiller(this);
    if (!fenetre_.menus().empty()) surveiller(menuBar());
    surveiller(centre_);
    for (Controle* c : fenetre_.controles())
        creerWidget(*c);
    lierMinuterie();
    fenetre_.attacher(this);
    actualiser();
}

VueFenetreQt::~VueFenetreQt() {
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

void VueFenetreQt::lierMinuterie() {
    Minuterie* m = fenetre_.minuterie();
    if (!m) return;
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

void VueFenetreQt::surveiller(QWidget* w) {
    w->installEventFilter(this);
}

void VueFenetreQt::creerWidget(Controle& c) {
    QWidget* parent = c.conteneur() ? widgets_.value(c.conteneur(), centre_) : centre_;
    std::unique_ptr<LiaisonQt> liaison = lierControle(c, parent, !fenetre_.enTwips());
    QWidget* w = liaison->widget();
    w->setObjectName(c.nom());
    if (c.surSurvol) w->setMouseTracking(true);
    widgets_.insert(&c, w);
    liaisons_.insert(w, liaison.get());
    surveiller(w);
    if (QWidget* s = liaison->surface(); s != w) {
        liaisons_.insert(s, liaison.get());
        surveiller(s);
    }
    c.attacher(liaison.get());
    w->raise();
    liaison->actualiser();
    vues_.push_back(std::move(liaison));
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
    if (!isVisible()) {
        // Not on screen yet: laid out now at the size it will have, the whole available
        // screen inside the frame the window system gives it. Once shown, the window's
        // resize events keep its layout, and so this measure, up to date.
        if (!windowHandle()) create();
        QRect zone = geometry();
        if (const QScreen* ecran = QGuiApplication::primaryScreen())
            zone = ecran->availableGeometry();
        if (const QWindow* w = windowHandle()) zone = zone.marginsRemoved(w->frameMargins());
        setGeometry(zone);
        if (QLayout* l = layout()) {
            l->invalidate();
            l->activate();
        }
    }
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
        // The key's first receiver: the window's focus widget, or the window itself.
        // Qt keeps a focus widget hidden by a change of mode as the window's focus
        // widget, and hands it the keys, which it would act on (a list's type-ahead, or
        // Return opening its entry); a hidden control takes no input, so the key stops
        // there once the window's handler has had it.
        const QWidget* premier = focusWidget() ? focusWidget() : this;
        if (objet == premier && isActiveWindow()) {
            const auto* ke = static_cast<QKeyEvent*>(evenement);
            // Every key reaches the window's handler first, and is not consumed.
            const int code = codeTouche(*ke);
            const int maj = etatMaj(*ke);
            if (code != 0) {
                fenetre_.toucher(code, maj);
                if (LiaisonQt* l = liaisons_.value(objet); l && l->widget() == objet)
                    l->touche(code, maj);
            }
            return !premier->isVisible();
        }
    } else if (type == QEvent::Resize) {
        if (objet == centre_ && isVisible()) fenetre_.redimensionner();
    } else if (type == QEvent::MouseMove) {
        if (objet == centre_)
            fenetre_.survoler();
        else if (LiaisonQt* l = liaisons_.value(objet))
            l->controle().survoler();
    }
    return false;
}

} // namespace galvia
