#include "commands/WaitBudget.h"

#include <algorithm>
#include <climits>

namespace fm {

namespace {

long long beforeTimer(JobKind kind, long long rows, const Postavke& p) {
    switch (kind) {
        case JobKind::Receipt:
            if (rows == -1) return p.TARVOREZERVNOVRIJEME + 6000LL;
            return rows * (p.TARVOBRZINASTAMPANJASTAVKI + 600LL) + (p.TARVOVREMESTAMPANJAZAGLAVLJA + 2000LL) +
                   (p.TARVOVREMESTAMPANJAZAVRSETKA + 1500LL);
        case JobKind::PriceChanges:
            return rows * 500 + p.TARVOREZERVNOVRIJEME;
        case JobKind::DeleteArticle:
        case JobKind::OfficialDeposit:
            return p.TARVOREZERVNOVRIJEME + 2000LL;
        case JobKind::ReportZ:
        case JobKind::ReportX:
            return p.TARVOREZERVNOVRIJEME + 5000LL;
        case JobKind::None:
            break;
    }
    return 0;
}

}  // namespace

int waitBudget(JobKind kind, long long rows, const Postavke& p) {
    if (kind == JobKind::None) return 0;
    const long long budget = beforeTimer(kind, rows, p) + p.TARVODBDRIVERAUTOMATICTIMER;
    return int(std::clamp<long long>(budget, INT_MIN, INT_MAX));
}

}  // namespace fm
