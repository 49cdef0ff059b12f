// The slideshow and the viewer's keys on the real main window, offscreen.
#include "support/Banc.h"
#include "support/FenetreReelle.h"

#include <QTemporaryDir>

using namespace galvia;
using namespace galvia::test;

class TstNavigationFenetre : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void diaporama();
    void touches_data();
    void touches();

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

void TstNavigationFenetre::touches_data() {
    QTest::addColumn<int>("cle");
    QTest::addColumn<int>("modificateurs");
    QTest::addColumn<int>("numero");
    QTest::addColumn<int>("mode");
    QTest::newRow("PgDn") << int(Qt::Key_PageDown) << int(Qt::NoModifier) << 2 << 2;
    QTest::newRow("Maj PgDn") << int(Qt::Key_PageDown) << int(Qt::ShiftModifier) << 2 << 2;
    QTest::newRow("Fin") << int(Qt::Key_End) << int(Qt::ControlModifier) << 5 << 2;
    QTest::newRow("4") << int(Qt::Key_4) << int(Qt::NoModifier) << 4 << 2;
    QTest::newRow("pave 4") << int(Qt::Key_4) << int(Qt::KeypadModifier) << 4 << 2;
    QTest::newRow("pave +") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 1 << 1;
    QTest::newRow("+") << int(Qt::Key_Plus) << int(Qt::NoModifier) << 1 << 2;
}

void TstNavigationFenetre::touches() {
    QFETCH(int, cle);
    QFETCH(int, modificateurs);
    QFETCH(int, numero);
    QFETCH(int, mode);
    f_->touche(Qt::Key(cle), Qt::KeyboardModifiers(modificateurs));
    QCOMPARE(f_->etat.NumImage, numero);
    QCOMPARE(f_->etat.ModeVue, mode);
    if (mode == 1) { // the natural-size view has the focus, and keys still reach the window
        QCOMPARE(QApplication::focusWidget(), f_->vue->widgetDe(f_->ctl().Image1));
        f_->touche(Qt::Key_PageUp);
        QCOMPARE(f_->etat.NumImage, 5);
    }
}

QTEST_MAIN(TstNavigationFenetre)
#include "tst_navigation_fenetre.moc"
