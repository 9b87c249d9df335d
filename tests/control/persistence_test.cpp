// Saving and loading the control's extent and Enabled through streams and storages.

#include "com_test_support.h"

#include <olectl.h>

#include <vector>

namespace {

class PersistenceTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, CreateViewObject(IID__View, reinterpret_cast<void**>(&view)));
        persist = Query<IPersistStreamInit>(view, IID_IPersistStreamInit);
        object = Query<IOleObject>(view, IID_IOleObject);
        ASSERT_NE(nullptr, persist);
        ASSERT_NE(nullptr, object);
    }
    void TearDown() override {
        if (object)
            object->Release();
        if (persist)
            persist->Release();
        if (view)
            view->Release();
        ComTest::TearDown();
    }

    static IStream* StreamOf(const std::vector<BYTE>& bytes) {
        IStream* stream = nullptr;
        EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
        ULONG written = 0;
        if (!bytes.empty())
            stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        return stream;
    }
    static std::vector<BYTE> BytesOf(IStream* stream) {
        STATSTG stat = {};
        stream->Stat(&stat, STATFLAG_NONAME);
        std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
        LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        if (!bytes.empty())
            stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
        return bytes;
    }
    std::vector<BYTE> Saved() {
        IStream* stream = StreamOf({});
        EXPECT_EQ(S_OK, persist->Save(stream, TRUE));
        std::vector<BYTE> bytes = BytesOf(stream);
        stream->Release();
        return bytes;
    }
    SIZEL Extent() {
        SIZEL size = {};
        EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &size));
        return size;
    }
    VARIANT_BOOL Enabled() {
        VARIANT_BOOL value = 0;
        EXPECT_EQ(S_OK, view->get_Enabled(&value));
        return value;
    }

    _View* view = nullptr;
    IPersistStreamInit* persist = nullptr;
    IOleObject* object = nullptr;
};

// A stream as this control writes it: version, extent, Enabled as a Boolean variant.
std::vector<BYTE> Stream(uint32_t version, uint32_t cx, uint32_t cy, uint16_t enabled) {
    std::vector<BYTE> bytes;
    for (uint32_t value : {version, cx, cy})
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
    for (uint16_t value : {static_cast<uint16_t>(VT_BOOL), enabled})
        for (int i = 0; i < 2; ++i)
            bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
    return bytes;
}

std::vector<BYTE> Prefix(const std::vector<BYTE>& bytes, size_t length) {
    return std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
}

// Refuses every change of a property and counts what it was asked.
class VetoSink : public IPropertyNotifySink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override {
        ++requests;
        return S_FALSE;
    }
    int requests = 0;
};

} // namespace

TEST_F(PersistenceTest, NewControlSavesSixteenBytesOfDefaults) {
    ASSERT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ULARGE_INTEGER size = {};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(16u, size.QuadPart);
    EXPECT_EQ(Stream(768, 5080, 5080, 0xFFFF), Saved());
}

TEST_F(PersistenceTest, RoundTripCarriesExtentAndEnabled) {
    SIZEL size = {1234, 5678};
    ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    std::vector<BYTE> bytes = Saved();
    EXPECT_EQ(Stream(768, 1234, 5678, 0), bytes);
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    _View* other = nullptr;
    ASSERT_EQ(S_OK, CreateViewObject(IID__View, reinterpret_cast<void**>(&other)));
    auto* otherPersist = Query<IPersistStreamInit>(other, IID_IPersistStreamInit);
    auto* otherObject = Query<IOleObject>(other, IID_IOleObject);
    IStream* stream = StreamOf(bytes);
    ASSERT_EQ(S_OK, otherPersist->Load(stream));
    stream->Release();
    SIZEL loaded = {};
    ASSERT_EQ(S_OK, otherObject->GetExtent(DVASPECT_CONTENT, &loaded));
    EXPECT_EQ(1234, loaded.cx);
    EXPECT_EQ(5678, loaded.cy);
    VARIANT_BOOL enabled = VARIANT_TRUE;
    ASSERT_EQ(S_OK, other->get_Enabled(&enabled));
    EXPECT_EQ(VARIANT_FALSE, enabled);
    EXPECT_EQ(S_FALSE, otherPersist->IsDirty());
    otherObject->Release();
    otherPersist->Release();
    other->Release();
}

TEST_F(PersistenceTest, NewerOrDamagedStreamsChangeNothing) {
    SIZEL size = {100, 200};
    ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
    const std::vector<BYTE> refused[] = {
        Stream(769, 1, 2, 0),
        Stream(0xFFFFFFFF, 1, 2, 0),
        Prefix(Stream(768, 1, 2, 0), 10),
        Prefix(Stream(768, 1, 2, 0), 15),
        {},
    };
    for (const auto& bytes : refused) {
        SCOPED_TRACE(bytes.size());
        IStream* stream = StreamOf(bytes);
        EXPECT_EQ(E_FAIL, persist->Load(stream));
        stream->Release();
        EXPECT_EQ(100, Extent().cx);
        EXPECT_EQ(200, Extent().cy);
        EXPECT_EQ(VARIANT_TRUE, Enabled());
    }
    // A variant of a type this format never writes.
    std::vector<BYTE> bytes = Stream(768, 1, 2, 0);
    bytes[12] = VT_BSTR;
    IStream* stream = StreamOf(bytes);
    EXPECT_EQ(E_FAIL, persist->Load(stream));
    stream->Release();
    EXPECT_EQ(100, Extent().cx);
    EXPECT_EQ(E_POINTER, persist->Load(nullptr));
    EXPECT_EQ(E_POINTER, persist->Save(nullptr, TRUE));
}

TEST_F(PersistenceTest, LoadingEnabledAsksPropertySinksLikeAHost) {
    auto* container = Query<IConnectionPointContainer>(view, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(IID_IPropertyNotifySink, &point));
    VetoSink veto;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&veto, &cookie));
    IStream* stream = StreamOf(Stream(768, 300, 400, 0));
    ASSERT_EQ(S_OK, persist->Load(stream));
    stream->Release();
    EXPECT_EQ(1, veto.requests);
    EXPECT_EQ(VARIANT_TRUE, Enabled());
    EXPECT_EQ(300, Extent().cx);
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    point->Release();
    container->Release();
}

TEST_F(PersistenceTest, StorageKeepsTheStreamInContents) {
    ILockBytes* bytes = nullptr;
    ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes));
    IStorage* storage = nullptr;
    ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(
                        bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage));
    auto* persistStorage = Query<IPersistStorage>(view, IID_IPersistStorage);
    ASSERT_NE(nullptr, persistStorage);
    SIZEL size = {777, 888};
    ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
    ASSERT_EQ(S_OK, persistStorage->Save(storage, TRUE));
    ASSERT_EQ(S_OK, persistStorage->SaveCompleted(nullptr));

    IStream* contents = nullptr;
    ASSERT_EQ(S_OK, storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                        &contents));
    EXPECT_EQ(Stream(768, 777, 888, 0xFFFF), BytesOf(contents));
    contents->Release();

    _View* other = nullptr;
    ASSERT_EQ(S_OK, CreateViewObject(IID__View, reinterpret_cast<void**>(&other)));
    auto* otherStorage = Query<IPersistStorage>(other, IID_IPersistStorage);
    ASSERT_EQ(S_OK, otherStorage->Load(storage));
    auto* otherObject = Query<IOleObject>(other, IID_IOleObject);
    SIZEL loaded = {};
    ASSERT_EQ(S_OK, otherObject->GetExtent(DVASPECT_CONTENT, &loaded));
    EXPECT_EQ(777, loaded.cx);
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(S_OK, otherStorage->GetClassID(&clsid));
    EXPECT_EQ(CLSID_View, clsid);
    otherObject->Release();
    otherStorage->Release();
    other->Release();

    // A storage without the stream is refused.
    IStorage* empty = nullptr;
    ILockBytes* emptyBytes = nullptr;
    ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, &emptyBytes));
    ASSERT_EQ(S_OK,
              StgCreateDocfileOnILockBytes(
                  emptyBytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &empty));
    EXPECT_TRUE(FAILED(persistStorage->Load(empty)));
    EXPECT_EQ(777, Extent().cx);
    empty->Release();
    emptyBytes->Release();
    persistStorage->Release();
    storage->Release();
    bytes->Release();
}
