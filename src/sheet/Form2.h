// The slide sheet: the image list as pages of 60 thumbnails.
#pragma once

#include "platform/Fenetre.h"
#include "platform/Plateforme.h"
#include "state/Module1.h"

namespace galvia {

class Form2 {
public:
    Form2(Plateforme& plateforme, Module1& etat);
    Plateforme& plateforme;
    Module1& etat;
    Fenetre fenetre{QStringLiteral("Form2"), true};
};

} // namespace galvia
