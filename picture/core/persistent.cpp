#include "core/persistent.h"

#include "core/errors.h"

namespace tremalu {

bool TClass::InheritsFrom(const TClass& ancestor) const
{
    for (const TClass* c = this; c != nullptr; c = c->Parent)
        if (c == &ancestor)
            return true;
    return false;
}

std::unique_ptr<TObject> TClass::NewInstance() const
{
    if (Create == nullptr)
        throw EInvalidOperation(std::string("Impossible de créer une instance de la classe abstraite ") + Name);
    return Create();
}

const TClass& TPersistent::StaticClass()
{
    static const TClass descriptor("TPersistent", nullptr, nullptr);
    return descriptor;
}

void TPersistent::CopyTo(TPersistent& dest) const { dest.RaiseAssignError(this); }

void TPersistent::CopyFrom(const TPersistent* source)
{
    if (source == nullptr)
        RaiseAssignError(nullptr);
    source->CopyTo(*this);
}

void TPersistent::RaiseAssignError(const TPersistent* source) const
{
    const std::string sourceName = source != nullptr ? source->ClassName() : "nil";
    throw EConvertError(FormatMessage(texts::AssignError, {sourceName, ClassName()}));
}

}  // namespace tremalu
