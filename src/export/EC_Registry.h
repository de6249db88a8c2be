// The registry as the export reads it.
#pragma once

#include "platform/core/Registry.h"

// The registry with a read-only open that never creates: "\" starts from the
// root, anything else is relative to the open key.
class TMyReg : public TRegistry
{
public:
    using TRegistry::TRegistry;
    bool OpenKeyReadOnly(const QString& key);
};
