// Opening the slide sheet over the current list; the viewer's own state is left as it
// was when the sheet closes.
#include "Form1.h"

#include "sheet/Form2.h"

namespace galvia {

void Form1::diapShow_Click() {
    etat.SensDefile = Faux;
    // The progress counter of the first page.
    menCompte.setVisible(true);
    Form2 form2(plateforme, etat, fenetre, menCompte);
    plateforme.afficherModal(form2.fenetre, [&form2] { form2.Form_Load(); });
}

} // namespace galvia
