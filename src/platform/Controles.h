// The controls of Galvia's windows as plain objects (Controle.h), each kind in its own
// header, with the menus, the timer and the rows of controls: one include for the window
// logic that uses them all.
#pragma once

#include "Controle.h"
#include "ControlesImages.h"
#include "ControlesListes.h"
#include "ControlesSimples.h"
#include "Menus.h"
#include "Minuterie.h"
#include "TableauxControles.h"
