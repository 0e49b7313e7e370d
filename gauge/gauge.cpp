// The multimeter layer as far as it is bound today: the session variables and
// the final rule of the search. No meter family is bound yet, so no opening is
// tried and no session can be opened by this layer.
#include "gauge/gauge.h"

#include "toolkit/toolkit.h"

ViSession viHP1412 = 0, viHP3458 = 0, viDMM = 0, viDMM1 = 0, viM_DMM1 = 0, viNM = 0;

int isMultimeterOpen()
{
    return (viHP1412 || viHP3458 || viDMM || viDMM1 || viM_DMM1) ? 1 : 0;
}

void findMultimeter()
{
    // The family openings (mezzanine meter, HP1412, ЦMM1, DMM, HP3458, in this
    // order, until one returns 0) are added with the binding of the families.
    if (!isMultimeterOpen())
        tk::messagePopup("Панель поверки-калибровки", "Мультиметр не найден");
}

void closeMultimeter()
{
    // Closes nothing yet: a session can only be closed through its family's
    // driver, and no family is bound. The closing order (HP1412, HP3458, ЦMM1,
    // DMM, mezzanine meter, then the carrier session viNM) comes with the binding.
}
