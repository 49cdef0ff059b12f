// The slideshow and the viewer's keys on the real main window, offscreen.
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include <QTemporaryDir>

using namespace galvia;
using namespace galvia::test;

class TstNavigationFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void diaporama();
    void vueNaturelle();

private:
    QTemporaryDir dossier_;
    std::unique_ptr<FenetreReelle> f_;
};

void TstNavigationFenetre::initTestCase() {
    for (const char* nom : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        dessiner(dossier_.filePath(QString::fromLatin1(nom)), QSize(1600, 1200));
}

void TstNavigationFenetre::init() {
    f_.reset();
    f_ = std::make_unique<FenetreReelle>(dossier_.path() + QLatin1Char('/'));
    f_->ctl().affTout.cliquer();
    QCOMPARE(f_->etat.NbImages, 5);
}

void TstNavigationFenetre::diaporama() {
    const AccesForm1 form = f_->ctl();
    QCOMPARE(f_->legende(form.menNom), QStringLiteral("=  1 / 5  =  a.jpg"));
    form.Timer1.tick();
    QCOMPARE(f_->etat.NumImage, 1); // stopped: ticks do nothing
    f_->touche(Qt::Key_Insert);
    // The Qt timer runs at 1024 ms: wait for its tick to show the next picture.
    QTRY_COMPARE_WITH_TIMEOUT(f_->legende(form.menNom), QStringLiteral("=  2 / 5  =  b.jpg"),
                              10000);
    f_->touche(Qt::Key_Delete);
    QCOMPARE(f_->etat.SensDefile, Faux);
    const int arrete = f_->etat.NumImage;
    form.Timer1.tick();
    QCOMPARE(f_->etat.NumImage, arrete);
    QCOMPARE(f_->legende(form.menNom).section(QLatin1Char(' '), 2, 2), QString::number(arrete));
}

// The natural-size view takes the focus, and the viewer's keys still reach the window.
void TstNavigationFenetre::vueNaturelle() {
    f_->touche(Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(f_->etat.ModeVue, 1);
    QCOMPARE(QApplication::focusWidget(), f_->vue->widgetDe(f_->ctl().Image1));
    f_->touche(Qt::Key_PageUp);
    QCOMPARE(f_->etat.NumImage, 5);
}

GALVIA_TEST_MAIN(TstNavigationFenetre)
#include "tst_navigation_fenetre.moc"
