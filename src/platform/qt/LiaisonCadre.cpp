// A frame grouping other controls.
#include "LiaisonQt.h"

#include <QFrame>

namespace galvia {

namespace {

class LiaisonCadre : public LiaisonQt {
public:
    LiaisonCadre(Cadre& c, QFrame* f)
        : LiaisonQt(c, f) {
        f->setFrameShape(QFrame::StyledPanel);
    }
    void actualiser() override { appliquerCommun(widget(), controle()); }
};

} // namespace

std::unique_ptr<LiaisonQt> lier(Cadre& c, QWidget* parent) {
    return std::make_unique<LiaisonCadre>(c, new QFrame(parent));
}

} // namespace galvia
