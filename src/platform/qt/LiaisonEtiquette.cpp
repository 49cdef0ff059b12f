// A label: its caption as plain text, raised or flat.
#include "../Fenetre.h"
#include "LiaisonQt.h"
#include "PlateformeQt.h"

#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

namespace galvia {

namespace {

class EtiquetteQt : public QLabel {
public:
    EtiquetteQt(Controle& c, QWidget* parent)
        : QLabel(parent)
        , c_(c) {
        setMouseTracking(true);
        setTextFormat(Qt::PlainText); // a caption may hold a file name: never markup
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setAutoFillBackground(true);
    }

protected:
    void mouseDoubleClickEvent(QMouseEvent*) override { c_.doubleCliquer(); }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) c_.cliquer();
    }
    void mouseMoveEvent(QMouseEvent*) override { c_.survoler(); }

private:
    Controle& c_;
};

class LiaisonEtiquette : public LiaisonQt {
public:
    LiaisonEtiquette(Etiquette& e, QLabel* l)
        : LiaisonQt(e, l)
        , e_(e)
        , l_(l) {}
    void actualiser() override {
        appliquerCommun(l_, e_);
        const QString t = texteAffiche(e_.caption());
        if (l_->text() != t) l_->setText(t);
        // A label without a name of its own is read by its caption.
        if (e_.nomAccessible().isEmpty() && l_->accessibleName() != t) l_->setAccessibleName(t);
        l_->setFrameStyle(e_.plat() ? QFrame::NoFrame : (QFrame::Panel | QFrame::Raised));
        if (e_.fenetre().enTwips()) {
            // A caption fits its label's height.
            QFont f = l_->font();
            f.setPixelSize(std::clamp(l_->height() - 4, 7, 11));
            if (f != l_->font()) l_->setFont(f);
        }
    }

private:
    Etiquette& e_;
    QLabel* l_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(Etiquette& c, QWidget* parent) {
    return std::make_unique<LiaisonEtiquette>(c, new EtiquetteQt(c, parent));
}

} // namespace galvia
