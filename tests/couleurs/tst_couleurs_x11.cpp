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
#include <xcb/xcb.h>

using namespace galvia;

namespace {

// What a colour manager does, through a connection of its own.
class Gestionnaire {
public:
    Gestionnaire()
        : c_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const QByteArray nom("_ICC_PROFILE");
        auto* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, nom.size(), nom.constData()), nullptr);
        atome_ = r->atom;
        std::free(r);
    }
    ~Gestionnaire() { xcb_disconnect(c_); }
    Gestionnaire(const Gestionnaire&) = delete;
    Gestionnaire& operator=(const Gestionnaire&) = delete;

    // Sets the property (removes it given nothing), and waits until the server has done it.
    void publier(const QByteArray& profil) {
        if (profil.isEmpty())
            xcb_delete_property(c_, root_, atome_);
        else
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atome_, XCB_ATOM_CARDINAL, 8,
                                quint32(profil.size()), profil.constData());
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }

private:
    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_atom_t atome_ = 0;
};

} // namespace

class TestProfilEcranX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void suivi() {
        if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server");
        Gestionnaire gestionnaire;
        const QByteArray adobe = profilAdobeRgb();
        QByteArray autre = adobe;
        autre[adobe.size() - 1] = char(autre[adobe.size() - 1] ^ 1);
        gestionnaire.publier(adobe);
        SuiviProfilEcran suivi;
        QCOMPARE(profilEcran(), adobe); // read at start

        // An sRGB picture shown on that screen, then as the server has it on screen.
        QTemporaryDir dossier;
        const QRgb rouge = qRgb(197, 34, 35);
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(rouge);
        QVERIFY(image.save(dossier.filePath(QStringLiteral("1.bmp"))));
        test::FenetreReelle f(dossier.path() + u'/');
        f.form->affTout_Click();
        QWidget* vue = f.vue->widgetDe(f.ctl().Image2);
        const auto montre = [&] {
            const QPoint p = vue->mapTo(f.vue.get(), vue->rect().center());
            return vue->screen()
                ->grabWindow(f.vue->winId(), p.x(), p.y(), 1, 1)
                .toImage()
                .pixel(0, 0);
        };
        QTRY_VERIFY(qAbs(qRed(montre()) - qRed(rouge)) > 8); // in Adobe RGB, less saturated

        QSignalSpy change(&suivi, &SuiviProfilEcran::change);
        gestionnaire.publier(autre);
        QVERIFY(change.wait(10000));
        QCOMPARE(profilEcran(), autre);
        gestionnaire.publier({});
        QVERIFY(change.wait(10000));
        QCOMPARE(profilEcran(), QByteArray());
        QTRY_COMPARE(montre(), rouge); // drawn again as the file has it
    }
};

GALVIA_TEST_MAIN(TestProfilEcranX11)
#include "tst_couleurs_x11.moc"
