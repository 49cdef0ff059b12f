// A keyboard for tests of the real windows: a key is its place on the keyboard (the
// xkb key code that X11 and Wayland send, the evdev code + 8) and what the layout types
// there, so a French layout is tested without changing the machine's keyboard.
#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <utility>

namespace galvia::test {

struct Touche {
    quint32 scan = 0;
    Qt::Key cle = Qt::Key_unknown;
    QString texte;
    Qt::KeyboardModifiers mod = Qt::NoModifier;
};

// Key codes of the keys Galvia uses, by place (evdev + 8).
namespace scan {
inline constexpr quint32 Echap = 9, Chiffre1 = 10, Egal = 21, A_qwerty = 38, A_azerty = 24;
inline constexpr quint32 Espace = 65, F1 = 67, Pave7 = 79, Pave4 = 83, PavePlus = 86, Pave1 = 87;
inline constexpr quint32 Debut = 110, PageBas = 117; // Home, then Up to Delete, in a row
} // namespace scan

// A key that types no character, the same on every layout.
inline Touche toucheFixe(Qt::Key cle, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    static const QList<Qt::Key> rangee{
        Qt::Key_Home, Qt::Key_Up,   Qt::Key_PageUp,   Qt::Key_Left,   Qt::Key_Right,
        Qt::Key_End,  Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Insert, Qt::Key_Delete};
    quint32 s = cle >= Qt::Key_F1 && cle <= Qt::Key_F10 ? scan::F1 + (cle - Qt::Key_F1) : 0;
    if (rangee.contains(cle)) s = scan::Debut + quint32(rangee.indexOf(cle));
    if (cle == Qt::Key_Escape) s = scan::Echap;
    if (cle == Qt::Key_Space) s = scan::Espace;
    return {s, cle, cle == Qt::Key_Space ? QStringLiteral(" ") : QString(), mod};
}

// Presses and releases `t` as the keyboard does: into the window that has the keyboard
// focus, menu shortcuts first. Returns false when no window has the focus: the key is
// lost, as it is on the desktop.
inline bool taper(const Touche& t) {
    // The key comes after what the window system has already sent.
    QCoreApplication::processEvents();
    // On a real X server the focus comes back to a window a moment after a box closes.
    if (!QTest::qWaitFor([] { return QGuiApplication::focusWindow() != nullptr; }, 5000))
        return false;
    QPointer<QWindow> w = QGuiApplication::focusWindow();
    QObject* cible = w->focusObject() ? w->focusObject() : w.data();
    if (qt_sendShortcutOverrideEvent(cible, 0, t.cle, t.mod, t.texte)) return true;
    QKeyEvent appui(QEvent::KeyPress, t.cle, t.mod, t.scan, 0, 0, t.texte);
    QCoreApplication::sendEvent(w, &appui);
    if (!w) return true;
    QKeyEvent relache(QEvent::KeyRelease, t.cle, t.mod, t.scan, 0, 0, t.texte);
    QCoreApplication::sendEvent(w, &relache);
    return true;
}

inline bool taper(Qt::Key cle, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    return taper(toucheFixe(cle, mod));
}

} // namespace galvia::test
