#include "ClavierQt.h"

#include "../Touches.h"

#include <QGuiApplication>
#include <QKeyEvent>

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

} // namespace galvia
