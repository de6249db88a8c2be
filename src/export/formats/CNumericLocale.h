// The C library formats and reads numbers with the LC_NUMERIC of the thread,
// which the toolkit takes from the user's environment: under a decimal-comma
// locale printf writes "1,5". A library that writes a file format's numbers
// with printf (the workbook library's XML) runs under the "C" numeric rules
// through these, whatever the user's locale; the rest of the locale stays.
#pragma once

#include <locale.h>

// The calling thread keeps the "C" numeric rules from now on (a thread of
// the writer's own).
void UseCNumericOnThisThread();

// The "C" numeric rules on the calling thread while the scope lasts.
class TCNumericScope
{
public:
    TCNumericScope();
    ~TCNumericScope();
    TCNumericScope(const TCNumericScope&) = delete;
    TCNumericScope& operator=(const TCNumericScope&) = delete;

private:
    locale_t previous_;
};
