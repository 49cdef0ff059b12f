// The profile of the screen Galvia's window is on, as the desktop's colour manager
// publishes it on X11: the root window's `_ICC_PROFILE` property (`_ICC_PROFILE_n` for the
// n-th screen where there are several). Read at start, and again when the property
// changes or the active window goes to another screen; handed to definirProfilEcran
// (Couleurs.h). Without X11 (Wayland, offscreen) the screen stays sRGB.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QWindow>
#include <cstdint>

struct xcb_connection_t;

namespace galvia {

class SuiviProfilEcran : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Needs the QGuiApplication; does nothing off X11.
    SuiviProfilEcran();
    ~SuiviProfilEcran() override;
    SuiviProfilEcran(const SuiviProfilEcran&) = delete;
    SuiviProfilEcran& operator=(const SuiviProfilEcran&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* resultat) override;

    // Reads the profile of the active window's screen again, now.
    void relire();

Q_SIGNALS:
    // The screen's profile has changed (profilEcran gives the new one).
    void change();

private:
    void suivre(QWindow* fenetre);

    xcb_connection_t* connexion_ = nullptr;
    std::uint32_t racine_ = 0;
    std::uint32_t atome_ = 0; // the property of the window's screen
    QPointer<QWindow> fenetre_;
    QMetaObject::Connection suiviEcran_;
};

} // namespace galvia
