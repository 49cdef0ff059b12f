// Opening the slide sheet.
#include "Form1.h"

namespace galvia {

void Form1::diapShow_Click() {}

} // namespace galvia
