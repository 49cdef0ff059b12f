// Opening the slide sheet over the current list; the viewer's own state is left as it
// was when the sheet closes.
#include "Form1.h"

#include "sheet/Form2.h"

namespace galvia {

Progression Form1::progressionFeuille() {
    // The hourglass over the main window, and the count of the first page's thumbnails
    // in its menu bar, hidden once the page is full.
    Progression p;
    p.occupe = [this](bool enCours) {
        fenetre.setSablier(enCours);
        if (!enCours) menCompte.setVisible(false);
    };
    p.avance = [this](int faits, int total) {
        menCompte.setCaption(QStringLiteral("%1 / %2").arg(faits).arg(total));
    };
    return p;
}

void Form1::diapShow_Click() {
    vue.arreter();
    // The sheet's decodes take their memory from the budget the pictures decoded ahead
    // hold: those go first, and the next move after the sheet decodes ahead again.
    vue.anticipation().oublier();
    // The progress counter of the first page.
    menCompte.setVisible(true);
    Form2 form2(plateforme, etat, progressionFeuille());
    plateforme.afficherModal(form2.fenetre, [&form2] { form2.Form_Load(); });
}

} // namespace galvia
