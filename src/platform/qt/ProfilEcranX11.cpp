#include "ProfilEcranX11.h"

#include "../decodage/Couleurs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace galvia {

namespace {

// A reply of xcb, freed with free().
template <typename T> using Reponse = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reponse<T> reponse(T* r) {
    return Reponse<T>(r, &std::free);
}

xcb_atom_t atome(xcb_connection_t* c, const QByteArray& nom) {
    const auto r = reponse(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(nom.size()), nom.constData()), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The bytes of a window's property, empty when it has none or is larger than a profile
// may be.
QByteArray propriete(xcb_connection_t* c, xcb_window_t fenetre, xcb_atom_t a) {
    const auto r = reponse(xcb_get_property_reply(
        c, xcb_get_property(c, 0, fenetre, a, XCB_ATOM_ANY, 0, std::uint32_t(ProfilMaximal / 4)),
        nullptr));
    if (!r || r->format != 8 || r->bytes_after > 0) return {};
    return {static_cast<const char*>(xcb_get_property_value(r.get())),
            xcb_get_property_value_length(r.get())};
}

} // namespace

SuiviProfilEcran::SuiviProfilEcran() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    connexion_ = x11->connection();
    xcb_screen_t* ecran = xcb_setup_roots_iterator(xcb_get_setup(connexion_)).data;
    if (ecran == nullptr) {
        connexion_ = nullptr;
        return;
    }
    racine_ = ecran->root;
    // Changes of the root's properties come only to a client that asked for them.
    const auto attributs = reponse(xcb_get_window_attributes_reply(
        connexion_, xcb_get_window_attributes(connexion_, racine_), nullptr));
    const std::uint32_t masque =
        (attributs ? attributs->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connexion_, racine_, XCB_CW_EVENT_MASK, &masque);
    qGuiApp->installNativeEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &SuiviProfilEcran::suivre);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &SuiviProfilEcran::relire);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &SuiviProfilEcran::relire);
    suivre(QGuiApplication::focusWindow());
}

SuiviProfilEcran::~SuiviProfilEcran() {
    if (connexion_ != nullptr) qGuiApp->removeNativeEventFilter(this);
}

void SuiviProfilEcran::suivre(QWindow* fenetre) {
    if (fenetre != nullptr && fenetre != fenetre_) {
        disconnect(suiviEcran_);
        fenetre_ = fenetre;
        suiviEcran_ = connect(fenetre, &QWindow::screenChanged, this, &SuiviProfilEcran::relire);
    }
    relire();
}

void SuiviProfilEcran::relire() {
    if (connexion_ == nullptr) return;
    // The screens in Qt's order stand for the server's (the first one's profile is
    // `_ICC_PROFILE`).
    const qsizetype n =
        fenetre_ ? std::max<qsizetype>(0, QGuiApplication::screens().indexOf(fenetre_->screen()))
                 : 0;
    atome_ = atome(connexion_,
                   n == 0 ? QByteArray("_ICC_PROFILE") : "_ICC_PROFILE_" + QByteArray::number(n));
    const QByteArray profil = propriete(connexion_, racine_, atome_);
    if (profil == profilEcran()) return;
    definirProfilEcran(profil);
    // What is shown is drawn again, in the new screen's colours (see ImageAffichee).
    for (QWidget* w : QApplication::allWidgets())
        w->update();
    Q_EMIT change();
}

bool SuiviProfilEcran::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    const auto* p = static_cast<const xcb_property_notify_event_t*>(message);
    // Read once the event has been handled, out of the event filter.
    if (p->window == racine_ && p->atom == atome_)
        QMetaObject::invokeMethod(this, &SuiviProfilEcran::relire, Qt::QueuedConnection);
    return false;
}

} // namespace galvia
