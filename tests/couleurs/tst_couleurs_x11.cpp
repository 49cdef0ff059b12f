// The screen's profile on a real X server: the root window's `_ICC_PROFILE` read at start,
// and again each time the desktop's colour manager sets, changes or removes it; the
// picture Galvia's window shows drawn again in the new colours.
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include "platform/decodage/Couleurs.h"
#include "platform/qt/ProfilEcranX11.h"

#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

using namespace galvia;

class TestProfilEcranX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void suivi() {
        if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server");
        // A colour manager, through a connection of its own: `publier` sets the property
        // (removes it given nothing) and waits until the server has done it.
        const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> c(
            xcb_connect(nullptr, nullptr), xcb_disconnect);
        const xcb_window_t racine = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
        auto* r = xcb_intern_atom_reply(c.get(), xcb_intern_atom(c.get(), 0, 12, "_ICC_PROFILE"),
                                        nullptr);
        const xcb_atom_t atome = r->atom;
        std::free(r);
        const auto publier = [&](const QByteArray& profil) {
            if (profil.isEmpty())
                xcb_delete_property(c.get(), racine, atome);
            else
                xcb_change_property(c.get(), XCB_PROP_MODE_REPLACE, racine, atome,
                                    XCB_ATOM_CARDINAL, 8, quint32(profil.size()),
                                    profil.constData());
            std::free(xcb_get_input_focus_reply(c.get(), xcb_get_input_focus(c.get()), nullptr));
        };
        const QByteArray adobe = profilAdobeRgb();
        QByteArray autre = adobe;
        autre[adobe.size() - 1] = char(autre[adobe.size() - 1] ^ 1);
        publier(adobe);
        SuiviProfilEcran suivi;
        QCOMPARE(profilEcran(), adobe); // read at start

        // An sRGB picture shown on that screen, then as the server has it on screen.
        QTemporaryDir dossier;
        const QRgb rouge = qRgb(197, 34, 35);
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(rouge);
        QVERIFY(image.save(dossier.filePath(QStringLiteral("1.bmp"))));
        test::FenetreReelle f(dossier.path() + u'/');
        f.ctl().affTout.cliquer();
        QWidget* vue = f.vue->widgetDe(f.ctl().Image2);
        const auto montre = [&] {
            const QPoint p = vue->mapTo(f.vue.get(), vue->rect().center());
            const QImage ecran =
                vue->screen()->grabWindow(f.vue->winId(), p.x(), p.y(), 1, 1).toImage();
            return ecran.pixel(0, 0);
        };
        QTRY_VERIFY(qAbs(qRed(montre()) - qRed(rouge)) > 8); // in Adobe RGB, less saturated

        QSignalSpy change(&suivi, &SuiviProfilEcran::change);
        for (const QByteArray& profil : {autre, QByteArray()}) { // changed, then removed
            publier(profil);
            QVERIFY(change.wait(10000));
            QCOMPARE(profilEcran(), profil);
        }
        QTRY_COMPARE(montre(), rouge); // drawn again as the file has it
    }
};

GALVIA_TEST_MAIN(TestProfilEcranX11)
#include "tst_couleurs_x11.moc"
