// Moving through the list: next, previous, ends, fifths, a number, a name.
#include "Form1.h"

namespace galvia {

void Form1::Bouge_Click(int) {}

int Form1::Dichot(int, int) {
    return 0;
}

} // namespace galvia
