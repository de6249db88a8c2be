// The folder dialog factory: the real dialog unless a test installed another.
#include "store/SelectDBPath.h"

#include "store/DlgSelectDBPath.h"

namespace {

TSelectDBPathFactory& Factory()
{
    static TSelectDBPathFactory factory;
    return factory;
}

} // namespace

TSelectDBPathFactory SetSelectDBPathFactory(TSelectDBPathFactory factory)
{
    return std::exchange(Factory(), std::move(factory));
}

std::unique_ptr<TSelectDBPathDialog> CreateSelectDBPathDialog()
{
    if (Factory())
        return Factory()();
    return std::make_unique<TDlgSelectDBPath>();
}
