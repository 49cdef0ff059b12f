#include "PlateformeQt.h"

#include "../NomsOctets.h"
#include "VueFenetreQt.h"

#include <QApplication>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <cmath>

namespace galvia {

QString texteAffiche(const QString& texte) {
    return texteVisible(texte).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

double densiteEcran() {
    const QScreen* ecran = QGuiApplication::primaryScreen();
    return ecran ? ecran->devicePixelRatio() : 1.0;
}

QWidget* fenetreActive() {
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    if (QWidget* w = QApplication::activeWindow()) return w;
    // No window has the keyboard (a window manager may give it to none while a box
    // closes): the topmost of Galvia's windows, a modal one first.
    QWidget* choix = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !qobject_cast<VueFenetreQt*>(w)) continue;
        if (!choix || w->isModal()) choix = w;
    }
    return choix;
}

RetourFocus::RetourFocus()
    : fenetre_(fenetreActive())
    , focus_(QApplication::focusWidget()) {
    if (fenetre_) fenetre_ = fenetre_->window();
}

RetourFocus::~RetourFocus() {
    if (!fenetre_ || !fenetre_->isVisible()) return;
    if (focus_ && focus_->window() == fenetre_ && focus_->isVisible() && focus_->isEnabled())
        focus_->setFocus(Qt::ActiveWindowFocusReason);
    fenetre_->activateWindow();
}

void PlateformeQt::MsgBox(const QString& texte, Icone icone, const QString& titre) {
    const RetourFocus retour;
    const BoiteEnCours ouverte(*this);
    QMessageBox boite(fenetreActive());
    boite.setWindowTitle(titre.isEmpty() ? QString::fromLatin1(TitreProgramme) : titre);
    boite.setText(texteAffiche(texte));
    boite.setTextFormat(Qt::PlainText);
    boite.setIcon(icone == Icone::Critique      ? QMessageBox::Critical
                  : icone == Icone::Information ? QMessageBox::Information
                                                : QMessageBox::NoIcon);
    boite.setStandardButtons(QMessageBox::Ok);
    boite.setAccessibleName(boite.windowTitle());
    boite.exec();
}

QString PlateformeQt::InputBox(const QString& invite, const QString& titre, const QString& defaut) {
    const RetourFocus retour;
    const BoiteEnCours ouverte(*this);
    QInputDialog boite(fenetreActive());
    boite.setWindowTitle(titre.isEmpty() ? QString::fromLatin1(TitreProgramme) : titre);
    boite.setLabelText(texteAffiche(invite));
    for (QLabel* l : boite.findChildren<QLabel*>())
        l->setTextFormat(Qt::PlainText);
    boite.setTextValue(texteVisible(defaut));
    boite.setInputMode(QInputDialog::TextInput);
    boite.setOkButtonText(QStringLiteral("OK"));
    boite.setCancelButtonText(QStringLiteral("Annuler"));
    boite.setAccessibleName(boite.windowTitle());
    if (boite.exec() != QDialog::Accepted) return {};
    return boite.textValue();
}

void PlateformeQt::DoEvents() {
    QCoreApplication::processEvents();
}

Plateforme::Envoi PlateformeQt::envoi() const {
    return [](std::function<void()> travail) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(travail), Qt::QueuedConnection);
    };
}

QSizeF PlateformeQt::ecranTwips() const {
    const QScreen* ecran = QGuiApplication::primaryScreen();
    const QSize s = ecran ? ecran->availableGeometry().size() : QSize(1024, 768);
    return {s.width() * TwipsParPixel, s.height() * TwipsParPixel};
}

int PlateformeQt::epaisseurAscenseur() const {
    return static_cast<int>(std::lround(
        QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) * densiteEcran()));
}

void PlateformeQt::afficherModal(Fenetre& fenetre, const std::function<void()>& charger) {
    const RetourFocus retour;
    VueFenetreQt vue(fenetre, fenetreActive());
    vue.setWindowFlag(Qt::Window);
    vue.setWindowModality(Qt::ApplicationModal);
    QEventLoop boucle;
    QObject::connect(&vue, &VueFenetreQt::fermee, &boucle, &QEventLoop::quit);
    modales_.push_back(&fenetre);
    const auto sortie = qScopeGuard([this] { modales_.pop_back(); });
    charger();
    if (fenetre.ferme()) return;
    vue.showMaximized();
    vue.activateWindow();
    if (!fenetre.ferme()) boucle.exec();
}

void PlateformeQt::terminer() {
    for (Fenetre* f : modales_)
        if (!f->ferme()) f->fermer();
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

} // namespace galvia
