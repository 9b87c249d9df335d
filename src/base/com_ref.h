#pragma once

#include <windows.h>
#include <unknwn.h>

// An owned interface pointer: released when it goes, never copied by accident.
template <typename T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : pointer(adopted) {}
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : pointer(other.pointer) { other.pointer = nullptr; }
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer = other.pointer;
            other.pointer = nullptr;
        }
        return *this;
    }
    ~ComRef() { Reset(); }

    void Reset() {
        if (pointer) {
            T* old = pointer;
            pointer = nullptr;
            old->Release();
        }
    }
    // Takes a new reference to shared.
    void Assign(T* shared) {
        if (shared)
            shared->AddRef();
        Reset();
        pointer = shared;
    }
    // For out-parameters: the old pointer is released first.
    T** Receive() {
        Reset();
        return &pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // A reference of the caller's own, for a call during which this one may be let go.
    ComRef Share() const {
        ComRef shared;
        shared.Assign(pointer);
        return shared;
    }

    // A reference of its own for an out-parameter (null when it holds none).
    void CopyTo(T** out) const {
        if (pointer)
            pointer->AddRef();
        *out = pointer;
    }

    // Hands its reference over, to an out-parameter or another owner.
    T* Detach() {
        T* taken = pointer;
        pointer = nullptr;
        return taken;
    }

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

private:
    T* pointer = nullptr;
};
