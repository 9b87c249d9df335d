// The module's entry points and what a View object answers, through the built norv.dll.

#include "com_test_support.h"

#include <objsafe.h>

using ModuleTest = ComTest;

TEST_F(ModuleTest, CannotUnloadWhileObjectsOrLocksLive) {
    auto getClassObject = Entry<GetClassObjectFn>("DllGetClassObject");
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_EQ(S_OK, CallEntry("DllCanUnloadNow"));
    IClassFactory* factory = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              getClassObject(IID__View, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    ASSERT_EQ(S_OK,
              getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, CallEntry("DllCanUnloadNow")); // the lock alone

    ASSERT_EQ(S_OK,
              getClassObject(CLSID_View, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    _View* view = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID__View, reinterpret_cast<void**>(&view)));
    IUnknown* aggregated = nullptr; // the control does not delegate to an outer object
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              factory->CreateInstance(view, IID_IUnknown, reinterpret_cast<void**>(&aggregated)));
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    factory->Release();
    EXPECT_EQ(S_FALSE, CallEntry("DllCanUnloadNow")); // the object alone

    // A cell keeps its control, so the module stays while only the cell is held.
    NumberGrid grid(2, 1);
    ASSERT_EQ(S_OK, view->SetData(grid.AsVariant(), flShortDate, flMonth, VARIANT_FALSE));
    Cell* cell = nullptr;
    ASSERT_EQ(S_OK, view->get_Cell(1, 0, &cell));
    view->Release();
    EXPECT_EQ(S_FALSE, CallEntry("DllCanUnloadNow"));
    VARIANT value = I4(0);
    ASSERT_EQ(S_OK, cell->get_Value(&value));
    EXPECT_EQ(100, V_I4(&value));
    cell->Release();
    EXPECT_EQ(S_OK, CallEntry("DllCanUnloadNow"));
}

TEST_F(ModuleTest, ViewAnswersItsInterfaceTable) {
    IUnknown* view = NewView<IUnknown>(IID_IUnknown);
    ASSERT_NE(nullptr, view);
    // The interfaces no other test asks for; each leads back to the one identity.
    const IID* const answered[][2] = {{&IID_IViewObject2, &IID_IOleInPlaceObjectWindowless},
                                      {&IID_IPersist, &IID_ISpecifyPropertyPages},
                                      {&IID_IProvideClassInfo, &IID_ISupportErrorInfo}};
    for (const auto& pair : answered)
        for (const IID* iid : pair) {
            IUnknown* other = Query<IUnknown>(view, *iid);
            ASSERT_NE(nullptr, other);
            IUnknown* identity = Query<IUnknown>(other, IID_IUnknown);
            EXPECT_EQ(view, identity);
            identity->Release();
            other->Release();
        }
    for (const IID& iid : {IID_IRunnableObject, IID_IOleCache, IID_IPersistPropertyBag})
        EXPECT_EQ(nullptr, Query<IUnknown>(view, iid));
    auto* classInfo = Query<IProvideClassInfo2>(view, IID_IProvideClassInfo2);
    GUID source = GUID_NULL;
    ASSERT_EQ(S_OK, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
    EXPECT_EQ(DIID___View, source);
    classInfo->Release();
    view->Release();
}

// Only the bits of the mask change; options beyond the two supported ones are refused.
TEST_F(ModuleTest, SafetyOptionsChangeOnlyTheMaskedBits) {
    IObjectSafety* safety = NewView<IObjectSafety>(IID_IObjectSafety);
    ASSERT_NE(nullptr, safety);
    const struct {
        DWORD mask, options;
        HRESULT expected;
        DWORD enabled;
    } steps[] = {{1, 3, S_OK, 1},   {2, 3, S_OK, 3}, {1, 0, S_OK, 2},
                 {3, 4, E_FAIL, 2}, {0, 3, S_OK, 2}, {3, 1, S_OK, 1}};
    for (const auto& step : steps) {
        EXPECT_EQ(step.expected,
                  safety->SetInterfaceSafetyOptions(IID_IDispatch, step.mask, step.options));
        DWORD supported = 0, enabled = 99;
        ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
        EXPECT_EQ(std::make_pair(DWORD{3}, step.enabled), std::make_pair(supported, enabled))
            << step.mask << " " << step.options;
    }
    safety->Release();
}
