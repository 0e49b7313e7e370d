#include "gauge/gauge.h"

ViSession viHP1412 = 0, viHP3458 = 0, viDMM = 0, viDMM1 = 0, viM_DMM1 = 0, viNM = 0;

int isMultimeterOpen()
{
    return (viHP1412 || viHP3458 || viDMM || viDMM1 || viM_DMM1) ? 1 : 0;
}
