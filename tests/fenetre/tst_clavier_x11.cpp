// The real main window on an X server, the keys typed through the server itself (XTest)
// on the layout the run gave the server (setxkbmap, named in GALVIA_DISPOSITION: "us" or
// "fr"; a server that kept another layout fails the run):
// the digit row counts by place on both layouts. (The keyboard's return after the boxes
// and the slide sheet is checked by tst_fenetre_qt, which also runs on this server.)
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include <QDialog>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace galvia;
using namespace galvia::test;

namespace {

// X key codes (evdev + 8) of the keys held or locked; the others are in scan::.
constexpr unsigned MajGauche = 50, VerrNum = 77;

// Presses and releases the key at `code` through the server, Shift held when `maj`.
void taperX(Display* d, unsigned code, bool maj = false) {
    if (maj) XTestFakeKeyEvent(d, MajGauche, True, 0);
    XTestFakeKeyEvent(d, code, True, 0);
    XTestFakeKeyEvent(d, code, False, 0);
    if (maj) XTestFakeKeyEvent(d, MajGauche, False, 0);
    XFlush(d);
}

} // namespace

class TstClavierX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (run through serveur-x.sh with QT_QPA_PLATFORM=xcb)");
        x_.reset(XOpenDisplay(nullptr));
        QVERIFY(x_);
        // The layout the run asked for: the key 4 types an apostrophe on a French keyboard.
        const bool francais = qEnvironmentVariable("GALVIA_DISPOSITION") == QLatin1String("fr");
        QVERIFY2(francais == (XkbKeycodeToKeysym(x_.get(), 13, 0, 0) == XK_apostrophe),
                 francais ? "the X server did not take the French layout (setxkbmap fr)"
                          : "the X server has a French layout where another was asked for");
        // Num Lock on: the keypad types digits.
        XkbStateRec etat{};
        XkbGetState(x_.get(), XkbUseCoreKbd, &etat);
        if (!(etat.locked_mods & Mod2Mask)) taperX(x_.get(), VerrNum);
    }

    void init() {
        f_ = std::make_unique<FenetreReelle>(10);
        QTRY_VERIFY(QGuiApplication::focusWindow() == f_->vue->windowHandle());
        taperX(x_.get(), scan::F1 + 4);
        QTRY_COMPARE(f_->etat.ModeVue, Mode::Ajustee);
    }

    void cleanup() { f_.reset(); }
    void touches_data() {
        QTest::addColumn<uint>("code");
        QTest::addColumn<bool>("maj");
        QTest::addColumn<int>("attendu");
        for (uint i = 0; i < 10; ++i) {
            const int chiffre = static_cast<int>((i + 1) % 10);
            QTest::addRow("rangée %d", chiffre) << scan::Chiffre1 + i << false << 48 + chiffre;
            QTest::addRow("Maj rangée %d", chiffre) << scan::Chiffre1 + i << true << 48 + chiffre;
        }
        QTest::newRow("pavé 1") << scan::Pave1 << false << 97;
        QTest::newRow("pavé 4") << scan::Pave4 << false << 100;
        QTest::newRow("pavé +") << scan::PavePlus << false << 107;
        QTest::newRow("Page Bas") << scan::PageBas << false << 34;
        QTest::newRow("Maj Page Bas") << scan::PageBas << true << 34;
        QTest::newRow("Echap") << scan::Echap << false << 27;
    }

    void touches() {
        QFETCH(uint, code);
        QFETCH(bool, maj);
        QFETCH(int, attendu);
        QList<int> vus;
        f_->form->fenetre.surTouche = [&vus](int c, int) {
            if (c != 16) vus.append(c); // Shift itself
        };
        taperX(x_.get(), code, maj);
        QTRY_COMPARE(vus, QList<int>{attendu});
    }

private:
    std::unique_ptr<FenetreReelle> f_;
    std::unique_ptr<Display, decltype(&XCloseDisplay)> x_{nullptr, XCloseDisplay};
};

GALVIA_TEST_MAIN(TstClavierX11)
#include "tst_clavier_x11.moc"
