// A command button: its caption, and its click.
#include "LiaisonQt.h"

#include <QPushButton>

namespace galvia {

namespace {

class LiaisonBouton : public LiaisonQt {
public:
    LiaisonBouton(Bouton& b, QPushButton* pb)
        : LiaisonQt(b, pb)
        , b_(b)
        , pb_(pb) {
        pb->setFocusPolicy(Qt::NoFocus);
        QObject::connect(pb, &QPushButton::clicked, pb, [&b] { b.cliquer(); });
    }
    void actualiser() override {
        appliquerCommun(pb_, b_);
        if (pb_->text() != b_.caption()) pb_->setText(b_.caption());
        if (pb_->accessibleName().isEmpty())
            pb_->setAccessibleName(QString(b_.caption()).remove(QLatin1Char('&')));
    }

private:
    Bouton& b_;
    QPushButton* pb_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(Bouton& c, QWidget* parent) {
    return std::make_unique<LiaisonBouton>(c, new QPushButton(parent));
}

} // namespace galvia
