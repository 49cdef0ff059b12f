#include "Form2.h"

namespace galvia {

Form2::Form2(Plateforme& plateforme_, Module1& etat_)
    : plateforme(plateforme_)
    , etat(etat_) {}

} // namespace galvia
