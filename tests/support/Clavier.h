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
inline constexpr quint32 Debut = 110, Haut = 111, PageHaut = 112, Gauche = 113, Droite = 114,
                         Fin = 115, Bas = 116, PageBas = 117, Inser = 118, Suppr = 119;
} // namespace scan

// A key that types no character, the same on every layout.
inline Touche toucheFixe(Qt::Key cle, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    static const std::pair<Qt::Key, quint32> places[] = {
        {Qt::Key_Escape, scan::Echap},    {Qt::Key_Space, scan::Espace},
        {Qt::Key_Home, scan::Debut},      {Qt::Key_Up, scan::Haut},
        {Qt::Key_PageUp, scan::PageHaut}, {Qt::Key_Left, scan::Gauche},
        {Qt::Key_Right, scan::Droite},    {Qt::Key_End, scan::Fin},
        {Qt::Key_Down, scan::Bas},        {Qt::Key_PageDown, scan::PageBas},
        {Qt::Key_Insert, scan::Inser},    {Qt::Key_Delete, scan::Suppr}};
    quint32 s = cle >= Qt::Key_F1 && cle <= Qt::Key_F10 ? scan::F1 + (cle - Qt::Key_F1) : 0;
    for (const auto& [c, place] : places)
        if (c == cle) s = place;
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
