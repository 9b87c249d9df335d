#pragma once

#include <windows.h>
#include <oleauto.h>

// An automation string of its holder's own: freed when it goes, never copied by accident.
class OwnedBstr {
public:
    OwnedBstr() = default;
    explicit OwnedBstr(BSTR adopted) : text(adopted) {}
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    ~OwnedBstr() { SysFreeString(text); }

    // For out-parameters: the old string is freed first.
    BSTR* Receive() {
        SysFreeString(text);
        text = nullptr;
        return &text;
    }
    // Hands the string over, to an out-parameter or another owner.
    BSTR Detach() {
        const BSTR taken = text;
        text = nullptr;
        return taken;
    }

    BSTR Get() const { return text; }

private:
    BSTR text = nullptr;
};
