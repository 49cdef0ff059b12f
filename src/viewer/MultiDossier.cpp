// Selecting up to ten folders and building one list from them.
#include "Form1.h"

namespace galvia {

void Form1::AutreDossier_Click() {}

void Form1::Dossier_Click() {}

void Form1::Dossier_KeyDown(int, int) {}

void Form1::ListeDos_DblClick() {}

void Form1::ListeDos_MouseMove() {}

void Form1::ChargeDossiers() {}

} // namespace galvia
