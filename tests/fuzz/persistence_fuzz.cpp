// Mutated property streams, alone or in storages, into Load: a refused one leaves Save as it
// was; an accepted one saves the extent it read and a Boolean Enabled, and leaves it clean.

#include "control/com_test_support.h"
#include "fuzz/fuzz_support.h"

namespace {

using Bytes = std::vector<BYTE>;

void Put(Bytes& bytes, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// A stream as the control writes it (or with Enabled of another type), then mutated.
Bytes MakeStream() {
    // 0x2003: an array of I4; 0x400B: a Boolean by reference.
    static const VARTYPE types[] = {VT_BOOL, VT_BOOL, VT_I2,      VT_I4,       VT_UI1,
                                    VT_R8,   VT_BSTR, VT_EMPTY,   VT_NULL,     VT_ERROR,
                                    VT_CY,   VT_DATE, VT_I8,      VT_DISPATCH, VT_VARIANT,
                                    0x2003,  0x400B,  VT_DECIMAL, 0xFFFF};
    static const uint64_t lengths[] = {0, 1, 3, 256, 258, 0x7FFFFFFF, ~0ull};
    Bytes bytes(16 + random.Below(12));
    Put(bytes, 0, random.OneIn(10) ? random.Next() : 0x300 - random.Below(2), 4);
    Put(bytes, 4, random.Next(), 8);
    const VARTYPE type = random.Pick(types);
    Put(bytes, 12, type, 2);
    Put(bytes, 14, type == VT_BSTR ? 2 * random.Below(6) : random.Next(), 8);
    for (int edits = random.Below(4); edits > 0; --edits) {
        const uint32_t edit = random.Below(5), size = static_cast<uint32_t>(bytes.size());
        if (edit == 0 && size)
            bytes[random.Below(size)] ^= static_cast<BYTE>(1 + random.Below(255));
        else if (edit == 1)
            bytes.resize(random.Below(size + 1));
        else if (edit == 2)
            Put(bytes, 14, random.Pick(lengths), 4);
        else // random bytes added to it or in its place
            bytes.resize(edit == 3 ? size + random.Below(300) : random.Below(40));
        for (size_t i = edit == 3 ? size : edit == 4 ? 0 : bytes.size(); i < bytes.size(); ++i)
            bytes[i] = static_cast<BYTE>(random.Next());
    }
    return bytes;
}

// The stream inside a storage, as a container keeps it; sometimes not there at all.
HRESULT LoadThroughStorage(IPersistStorage* persist, const Bytes& bytes) {
    ILockBytes* lockBytes = nullptr;
    IStorage* storage = nullptr;
    IStream* contents = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes)))
        return E_OUTOFMEMORY;
    HRESULT hr = StgCreateDocfileOnILockBytes(
        lockBytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage);
    lockBytes->Release(); // the storage holds it
    if (FAILED(hr))
        return hr;
    if (SUCCEEDED(storage->CreateStream(random.OneIn(8) ? L"Other" : L"Contents",
                                        STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &contents))) {
        contents->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        contents->Release();
    }
    hr = persist->Load(storage);
    storage->Release();
    return hr;
}

struct PersistenceCase {
    void Run(int steps) { // the View lives for the steps only
        Steps(Persisted(), steps);
        fuzz.Check(CallEntry("DllCanUnloadNow") == S_OK, "the View outlived its last release");
    }
    void Steps(Persisted&& control, int steps) {
        if (!fuzz.Check(control.stream && control.storage && control.object, "create"))
            return;
        control.stream->InitNew();
        for (int i = 0; i < steps; ++i) {
            if (random.OneIn(10))
                control.view->put_Enabled(static_cast<VARIANT_BOOL>(random.Between(-1, 1)));
            const Bytes before = control.Saved(FALSE), input = MakeStream();
            const bool inStorage = random.OneIn(4);
            fuzz.Step("Load(%zu bytes%s, type 0x%x)", input.size(),
                      inStorage ? " in a storage" : "",
                      input.size() >= 14 ? input[12] | input[13] << 8 : 0);
            HRESULT hr = E_FAIL;
            fuzz.Measured([&] {
                hr = inStorage ? LoadThroughStorage(control.storage, input) : control.Load(input);
            });
            const Bytes after = control.Saved(FALSE);
            if (!fuzz.Check(SUCCEEDED(hr) || after == before,
                            "a refused load (0x%08lx) changed what Save gives", hr) ||
                FAILED(hr))
                continue;
            const bool same = after.size() == 16 &&
                              std::equal(after.begin() + 4, after.begin() + 12, input.begin() + 4);
            fuzz.Check(same && after[12] == VT_BOOL && (after[14] == 0 || after[14] == 0xFF),
                       "an accepted load saves another state");
            fuzz.Check(control.stream->IsDirty() == S_FALSE, "dirty after a load");
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    return RunFuzz<PersistenceCase>(argc, argv, "persistence", 20, 1000, 100);
}
