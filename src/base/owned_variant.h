#pragma once

#include <windows.h>
#include <oleauto.h>

// A variant of its holder's own: cleared when it goes, never copied by accident.
class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    ~OwnedVariant() { VariantClear(&value); }

    // Empties it, freeing what it held.
    void Clear() { VariantClear(&value); }
    // Takes what other holds, other left empty; what this held is freed.
    void Take(OwnedVariant& other) {
        if (&other == this)
            return;
        VariantClear(&value);
        value = other.value;
        VariantInit(&other.value);
    }
    // Hands the value over, to an out-parameter or another owner; this is left empty.
    VARIANT Detach() {
        const VARIANT taken = value;
        VariantInit(&value);
        return taken;
    }

    VARIANT& Get() { return value; }
    const VARIANT& Get() const { return value; }

private:
    VARIANT value;
};
