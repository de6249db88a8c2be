#include "export/formats/CNumericLocale.h"

namespace {

// The process's locale with the "C" numeric rules, made once.
locale_t CNumeric()
{
    static const locale_t numeric = newlocale(LC_NUMERIC_MASK, "C", duplocale(LC_GLOBAL_LOCALE));
    return numeric;
}

} // namespace

void UseCNumericOnThisThread()
{
    uselocale(CNumeric());
}

TCNumericScope::TCNumericScope() : previous_(uselocale(CNumeric())) {}

TCNumericScope::~TCNumericScope()
{
    uselocale(previous_);
}
