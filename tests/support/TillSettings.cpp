#include "tests/support/TillSettings.h"

namespace fm::test {

void setOneTill(Postavke& p) {
    p.FID_OBJEKTA = p.FID_POR_STOPA = p.FID_OPERATERA = p.FID_ROBA = p.FID_GRUPA_ROBA = p.FID_RACUNA =
        p.FID_KUPACA = 1;
    p.K71B3 = 1;
    p.F_BROJ_KASE = "AB1234";
}

}  // namespace fm::test
