// The module's entry points and what a View object answers, through the built norv.dll.

#include "com_test_support.h"

#include <objsafe.h>
#include <olectl.h>

namespace {

class ModuleTest : public ComTest {};

HRESULT CanUnload() {
    return NorvModule::Get().canUnloadNow();
}

} // namespace

TEST_F(ModuleTest, ExportsOnlyTheFourEntryPoints) {
    HMODULE module = NorvModule::Get().handle;
    ASSERT_NE(nullptr, module);
    for (const char* name :
         {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"})
        EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(module, name))) << name;
    // Count the export directory's names.
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    EXPECT_EQ(4u, exports->NumberOfNames);
    EXPECT_EQ(4u, exports->NumberOfFunctions);
}

TEST_F(ModuleTest, ClassObjectOnlyForView) {
    auto getClassObject = NorvModule::Get().getClassObject;
    ASSERT_NE(nullptr, getClassObject);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID__View, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, getClassObject(CLSID_View, IID_IClassFactory, nullptr));
    EXPECT_EQ(E_NOINTERFACE, getClassObject(CLSID_View, IID_IDispatch, &object));

    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK,
              getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    IUnknown* outer = factory; // any unknown serves as would-be aggregator
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &object));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    factory->Release();
}

TEST_F(ModuleTest, CannotUnloadWhileObjectsOrLocksLive) {
    ASSERT_EQ(S_OK, CanUnload());
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, NorvModule::Get().getClassObject(CLSID_View, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&factory)));
    _View* view = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID__View, reinterpret_cast<void**>(&view)));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, CanUnload());

    // A cell keeps its control, so the module stays while only the cell is held.
    VariantGrid grid(1, 1);
    grid.SetI4(0, 0, 42);
    ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_FALSE));
    Cell* cell = nullptr;
    ASSERT_EQ(S_OK, view->get_Cell(0, 0, &cell));
    view->Release();
    EXPECT_EQ(S_FALSE, CanUnload());
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(S_OK, cell->get_Value(&value));
    EXPECT_EQ(42, V_I4(&value));
    cell->Release();
    EXPECT_EQ(S_FALSE, CanUnload()); // the server lock is still held

    ASSERT_EQ(S_OK, NorvModule::Get().getClassObject(CLSID_View, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&factory)));
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    factory->Release();
    EXPECT_EQ(S_OK, CanUnload());
}

TEST_F(ModuleTest, ViewAnswersItsInterfacesAndNoInPlaceOnes) {
    IUnknown* view = nullptr;
    ASSERT_EQ(S_OK, CreateViewObject(IID_IUnknown, reinterpret_cast<void**>(&view)));
    const IID* answered[] = {&IID__View,
                             &IID_IDispatch,
                             &IID_IOleControl,
                             &IID_IOleObject,
                             &IID_IPersistStreamInit,
                             &IID_IPersist,
                             &IID_ISupportErrorInfo,
                             &IID_IConnectionPointContainer,
                             &IID_ISpecifyPropertyPages,
                             &IID_IPersistStorage,
                             &IID_IProvideClassInfo,
                             &IID_IProvideClassInfo2,
                             &IID_IObjectSafety};
    for (const IID* iid : answered) {
        IUnknown* other = Query<IUnknown>(view, *iid);
        ASSERT_NE(nullptr, other);
        // Every interface leads back to the same identity.
        IUnknown* identity = Query<IUnknown>(other, IID_IUnknown);
        EXPECT_EQ(view, identity);
        identity->Release();
        other->Release();
    }
    const IID* refused[] = {&IID_IViewObject,
                            &IID_IViewObject2,
                            &IID_IOleInPlaceObject,
                            &IID_IOleWindow,
                            &IID_IDataObject,
                            &IID_IQuickActivate,
                            &IID_Cell,
                            &IID_IOleInPlaceActiveObject};
    for (const IID* iid : refused) {
        void* other = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, view->QueryInterface(*iid, &other));
        EXPECT_EQ(nullptr, other);
    }
    view->Release();
}

TEST_F(ModuleTest, ObjectSafetyOffersUntrustedCallerAndData) {
    IObjectSafety* safety = nullptr;
    ASSERT_EQ(S_OK, CreateViewObject(IID_IObjectSafety, reinterpret_cast<void**>(&safety)));
    DWORD supported = 99, enabled = 99;
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled));
    EXPECT_EQ(E_POINTER, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr));
    ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(3u, supported);
    EXPECT_EQ(0u, enabled);

    EXPECT_EQ(E_NOINTERFACE,
              safety->GetInterfaceSafetyOptions(IID_IDataObject, &supported, &enabled));
    EXPECT_EQ(0u, supported);
    EXPECT_EQ(0u, enabled);
    EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IDataObject, 3, 3));

    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 7, 4));
    ASSERT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, 3));
    // Only the masked bits change.
    ASSERT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch,
                                                      INTERFACESAFE_FOR_UNTRUSTED_DATA, 0));
    ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER), enabled);
    safety->Release();
}

TEST_F(ModuleTest, ClassInfoErrorInfoAndPropertyPages) {
    IUnknown* view = nullptr;
    ASSERT_EQ(S_OK, CreateViewObject(IID_IUnknown, reinterpret_cast<void**>(&view)));

    auto* errors = Query<ISupportErrorInfo>(view, IID_ISupportErrorInfo);
    ASSERT_NE(nullptr, errors);
    EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID__View));
    EXPECT_EQ(S_FALSE, errors->InterfaceSupportsErrorInfo(IID_IDispatch));
    EXPECT_EQ(S_FALSE, errors->InterfaceSupportsErrorInfo(IID_IOleObject));
    errors->Release();

    auto* classInfo = Query<IProvideClassInfo2>(view, IID_IProvideClassInfo2);
    ASSERT_NE(nullptr, classInfo);
    GUID source = GUID_NULL;
    ASSERT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_EQ(DIID___View, source);
    EXPECT_EQ(E_INVALIDARG, classInfo->GetGUID(2, &source));
    EXPECT_EQ(E_POINTER, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr));
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, classInfo->GetClassInfo(&info));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_EQ(CLSID_View, attributes->guid);
    EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
    info->ReleaseTypeAttr(attributes);
    info->Release();
    classInfo->Release();

    auto* pages = Query<ISpecifyPropertyPages>(view, IID_ISpecifyPropertyPages);
    ASSERT_NE(nullptr, pages);
    CAUUID list = {5, reinterpret_cast<GUID*>(1)};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    EXPECT_EQ(0u, list.cElems);
    EXPECT_EQ(nullptr, list.pElems);
    pages->Release();

    auto* object = Query<IOleObject>(view, IID_IOleObject);
    ASSERT_NE(nullptr, object);
    DWORD status = 0;
    ASSERT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_EQ(131473u, status);
    EXPECT_EQ(static_cast<DWORD>(OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                 OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                 OLEMISC_SETCLIENTSITEFIRST),
              status);
    SIZEL extent = {};
    ASSERT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_EQ(5080, extent.cx);
    EXPECT_EQ(5080, extent.cy);
    EXPECT_EQ(DV_E_DVASPECT, object->GetExtent(DVASPECT_ICON, &extent));
    object->Release();
    view->Release();
}

TEST_F(ModuleTest, CarriesItsResources) {
    HMODULE module = NorvModule::Get().handle;
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(1), "TYPELIB"));
    HRSRC script = FindResourceA(module, MAKEINTRESOURCEA(102), "REGISTRY");
    ASSERT_NE(nullptr, script);
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(401), MAKEINTRESOURCEA(5)));
    HBITMAP toolbox = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(101), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(nullptr, toolbox);
    BITMAP picture = {};
    GetObjectA(toolbox, sizeof picture, &picture);
    EXPECT_EQ(16, picture.bmWidth);
    EXPECT_EQ(15, picture.bmHeight);
    DeleteObject(toolbox);
    char label[50] = {};
    EXPECT_GT(LoadStringA(module, 102, label, sizeof label), 0);
    EXPECT_STREQ("COLUMN %i", label);
    // The engine's cursors and icons come along.
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(201), MAKEINTRESOURCEA(12)));
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(205), MAKEINTRESOURCEA(14)));
}
