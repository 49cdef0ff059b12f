#include "LiaisonQt.h"

#include "../Fenetre.h"
#include "PlateformeQt.h"

#include <QWidget>
#include <cmath>

namespace galvia {

void LiaisonQt::donnerFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}

namespace {

// Picks the binder of a control by its kind.
class Lieur : public VisiteurControle {
public:
    Lieur(QWidget* parent, bool fenetrePrincipale)
        : parent_(parent)
        , fenetrePrincipale_(fenetrePrincipale) {}
    void visiter(Cadre& c) override { liaison = lier(c, parent_); }
    // The main window's picture boxes stand on a grey background.
    void visiter(BoiteImage& c) override { liaison = lier(c, parent_, fenetrePrincipale_); }
    void visiter(ControleImage& c) override { liaison = lier(c, parent_); }
    void visiter(Etiquette& c) override { liaison = lier(c, parent_); }
    void visiter(Bouton& c) override { liaison = lier(c, parent_); }
    void visiter(BarreDefilement& c) override { liaison = lier(c, parent_); }
    void visiter(ListeLecteurs& c) override { liaison = lier(c, parent_); }
    void visiter(ListeDossiers& c) override { liaison = lier(c, parent_); }
    void visiter(ListeFichiers& c) override { liaison = lier(c, parent_); }
    std::unique_ptr<LiaisonQt> liaison;

private:
    QWidget* parent_;
    bool fenetrePrincipale_;
};

} // namespace

std::unique_ptr<LiaisonQt> lierControle(Controle& c, QWidget* parent, bool fenetrePrincipale) {
    Lieur lieur(parent, fenetrePrincipale);
    c.accepter(lieur);
    return std::move(lieur.liaison);
}

QRect boiteEcran(const Controle& c) {
    const double u = c.fenetre().unite();
    const auto px = [u](double v) { return static_cast<int>(std::lround(v / u)); };
    return {px(c.left()), px(c.top()), px(c.width()), px(c.height())};
}

QRect rectDe(const Controle& c) {
    const double d = c.fenetre().densite();
    const QRect r = boiteEcran(c);
    if (d == 1.0) return r;
    const auto px = [d](int v) { return static_cast<int>(std::lround(v / d)); };
    return {px(r.left()), px(r.top()), px(r.width()), px(r.height())};
}

void appliquerCommun(QWidget* w, const Controle& c, const QRect& r) {
    if (w->geometry() != r) w->setGeometry(r);
    if (w->isEnabled() != c.enabled()) w->setEnabled(c.enabled());
    if (!c.nomAccessible().isEmpty() && w->accessibleName() != texteAffiche(c.nomAccessible()))
        w->setAccessibleName(texteAffiche(c.nomAccessible()));
    if (w->isVisibleTo(w->parentWidget()) != c.visible()) w->setVisible(c.visible());
}

void appliquerCommun(QWidget* w, const Controle& c) {
    appliquerCommun(w, c, rectDe(c));
}

QString texteBulle(const QString& texte) {
    return QStringLiteral("<p style='white-space:pre'>") + texteAffiche(texte).toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace galvia
