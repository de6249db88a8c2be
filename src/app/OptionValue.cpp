#include "app/OptionValue.h"

bool TakeOptionValue(const QStringList& arguments, qsizetype& i, QString& target, QString& error)
{
    if (i + 1 >= arguments.size()) {
        error = arguments[i] + QStringLiteral(" needs a value");
        return false;
    }
    target = arguments[++i];
    return true;
}
