// The information box and the keyboard help box.
#include "Form1.h"

namespace galvia {

void Form1::menNom_Click() {}

void Form1::menAide_Click() {}

} // namespace galvia
