// Renaming the current picture file.
#include "Form1.h"

namespace galvia {

void Form1::Renomme_Click() {}

bool Form1::ValidRen(const QString&) {
    return false;
}

} // namespace galvia
