// The type library as any automation client reads it back from the built module.

#include "com_test_support.h"

#include <olectl.h>

#include <vector>

namespace {

class TypeLibraryTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, LoadTypeLibEx(ModuleWindowsPath().c_str(), REGKIND_NONE, &library));
    }
    void TearDown() override {
        if (library)
            library->Release();
        ComTest::TearDown();
    }

    ITypeInfo* InfoOf(REFGUID guid) {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(S_OK, library->GetTypeInfoOfGuid(guid, &info));
        return info;
    }
    ITypeInfo* InfoNamed(const wchar_t* name) {
        for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
            BSTR found = nullptr;
            library->GetDocumentation(static_cast<INT>(i), &found, nullptr, nullptr, nullptr);
            bool same = found && wcscmp(found, name) == 0;
            SysFreeString(found);
            if (same) {
                ITypeInfo* info = nullptr;
                library->GetTypeInfo(i, &info);
                return info;
            }
        }
        return nullptr;
    }

    ITypeLib* library = nullptr;
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    std::wstring result = Text(name);
    SysFreeString(name);
    return result;
}

std::wstring HelpOf(ITypeInfo* info, MEMBERID id) {
    BSTR help = nullptr;
    info->GetDocumentation(id, nullptr, &help, nullptr, nullptr);
    std::wstring result = Text(help);
    SysFreeString(help);
    return result;
}

struct Member {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    short params;
    VARTYPE result; // of the retval parameter; VT_EMPTY for none
};

} // namespace

TEST_F(TypeLibraryTest, LibraryIsNorvOneZeroDescribingControls) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_EQ(LIBID_NORV, attributes->guid);
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_TRUE(attributes->wLibFlags & LIBFLAG_FCONTROL);
    library->ReleaseTLibAttr(attributes);

    BSTR name = nullptr, help = nullptr, file = nullptr;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, &name, &help, nullptr, &file));
    EXPECT_EQ(L"NORV", Text(name));
    EXPECT_EQ(L"Norvik 1.0", Text(help));
    // The help file is stored with the library's help directory in front, if any.
    std::wstring helpFile = Text(file);
    ASSERT_GE(helpFile.size(), 8u);
    EXPECT_EQ(L"Norv.hlp", helpFile.substr(helpFile.size() - 8));
    SysFreeString(name);
    SysFreeString(help);
    SysFreeString(file);
}

TEST_F(TypeLibraryTest, ViewInterfaceIsDualWithFourteenMembersInOrder) {
    ITypeInfo* dispatch = InfoOf(IID__View);
    ASSERT_NE(nullptr, dispatch);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_DISPATCH, attributes->typekind);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    dispatch->ReleaseTypeAttr(attributes);
    EXPECT_EQ(L"The control displays a list of records from which the user can select one. In "
              L"addition, the user can manage record sorting and optional grouping into the "
              L"hierarchy.",
              HelpOf(dispatch, MEMBERID_NIL));

    // The vtable half lists the members in function-table order, after IDispatch's.
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &vtableRef));
    ITypeInfo* vtable = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(vtableRef, &vtable));
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_INTERFACE, attributes->typekind);
    ASSERT_EQ(14, attributes->cFuncs);
    vtable->ReleaseTypeAttr(attributes);

    const Member expected[] = {
        {L"Cell", 0, INVOKE_PROPERTYGET, 3, VT_PTR},
        {L"SetData", 1, INVOKE_FUNC, 4, VT_EMPTY},
        {L"ColumnLabel", 2, INVOKE_PROPERTYGET, 2, VT_BSTR},
        {L"ColumnLabel", 2, INVOKE_PROPERTYPUT, 2, VT_EMPTY},
        {L"ColumnWidth", 3, INVOKE_PROPERTYGET, 2, VT_I4},
        {L"ColumnWidth", 3, INVOKE_PROPERTYPUT, 2, VT_EMPTY},
        {L"ColumnAlign", 4, INVOKE_PROPERTYGET, 2, VT_USERDEFINED},
        {L"ColumnAlign", 4, INVOKE_PROPERTYPUT, 2, VT_EMPTY},
        {L"ColumnCount", 5, INVOKE_PROPERTYGET, 1, VT_I4},
        {L"RecordCount", 6, INVOKE_PROPERTYGET, 1, VT_I4},
        {L"SelectedRecord", 7, INVOKE_PROPERTYGET, 1, VT_I4},
        {L"Enabled", DISPID_ENABLED, INVOKE_PROPERTYGET, 1, VT_BOOL},
        {L"Enabled", DISPID_ENABLED, INVOKE_PROPERTYPUT, 1, VT_EMPTY},
        {L"AboutBox", DISPID_ABOUTBOX, INVOKE_FUNC, 0, VT_EMPTY},
    };
    for (UINT i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &function));
        EXPECT_EQ(expected[i].id, function->memid);
        EXPECT_EQ(expected[i].kind, function->invkind);
        EXPECT_EQ(expected[i].params, function->cParams);
        EXPECT_EQ(expected[i].name, NameOf(vtable, function->memid));
        EXPECT_FALSE(HelpOf(vtable, function->memid).empty());
        if (expected[i].result != VT_EMPTY) {
            const TYPEDESC& last = function->lprgelemdescParam[function->cParams - 1].tdesc;
            ASSERT_EQ(VT_PTR, last.vt);
            EXPECT_EQ(expected[i].result, last.lptdesc->vt);
            EXPECT_TRUE(function->lprgelemdescParam[function->cParams - 1].paramdesc.wParamFlags &
                        PARAMFLAG_FRETVAL);
        }
        vtable->ReleaseFuncDesc(function);
    }
    EXPECT_EQ(L"Returns a reference to the Cell object in a View control loaded data.",
              HelpOf(vtable, 0));
    EXPECT_EQ(L"Returns or sets a value that determines whether Norvik control can respond to "
              L"user-generated events.",
              HelpOf(vtable, DISPID_ENABLED));
    vtable->Release();
    dispatch->Release();
}

TEST_F(TypeLibraryTest, SetDataTakesThreeOptionalArgumentsWithDefaults) {
    ITypeInfo* dispatch = InfoOf(IID__View);
    ASSERT_NE(nullptr, dispatch);
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &vtableRef));
    ITypeInfo* vtable = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(vtableRef, &vtable));
    FUNCDESC* function = nullptr;
    ASSERT_EQ(S_OK, vtable->GetFuncDesc(1, &function));
    ASSERT_EQ(4, function->cParams);

    BSTR names[5] = {};
    UINT count = 0;
    ASSERT_EQ(S_OK, vtable->GetNames(function->memid, names, 5, &count));
    ASSERT_EQ(5u, count);
    const wchar_t* expectedNames[] = {L"SetData", L"Data", L"DateTimeFormat", L"DateTimeGrouping",
                                      L"Revert"};
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(expectedNames[i], Text(names[i]));
        SysFreeString(names[i]);
    }

    const ELEMDESC* params = function->lprgelemdescParam;
    EXPECT_EQ(VT_VARIANT, params[0].tdesc.vt);
    EXPECT_FALSE(params[0].paramdesc.wParamFlags & PARAMFLAG_FOPT);
    // Format defaults to flShortDate (0), grouping to flMonth (2), Revert to False.
    const LONG defaults[] = {0, 2, 0};
    for (int i = 1; i < 4; ++i) {
        SCOPED_TRACE(i);
        USHORT flags = params[i].paramdesc.wParamFlags;
        EXPECT_TRUE(flags & PARAMFLAG_FOPT);
        ASSERT_TRUE(flags & PARAMFLAG_FHASDEFAULT);
        VARIANT value;
        VariantInit(&value);
        ASSERT_EQ(S_OK, VariantChangeType(
                            &value, &params[i].paramdesc.pparamdescex->varDefaultValue, 0, VT_I4));
        EXPECT_EQ(defaults[i - 1], V_I4(&value));
    }
    EXPECT_EQ(VT_USERDEFINED, params[1].tdesc.vt);
    EXPECT_EQ(VT_USERDEFINED, params[2].tdesc.vt);
    EXPECT_EQ(VT_BOOL, params[3].tdesc.vt);
    vtable->ReleaseFuncDesc(function);
    vtable->Release();
    dispatch->Release();
}

TEST_F(TypeLibraryTest, CellInterfaceHasThreeReadOnlyProperties) {
    ITypeInfo* dispatch = InfoOf(IID_Cell);
    ASSERT_NE(nullptr, dispatch);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetTypeAttr(&attributes));
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    dispatch->ReleaseTypeAttr(attributes);
    EXPECT_EQ(L"Represents the stored data at the intersection of record and column indexes in "
              L"the loaded data array.",
              HelpOf(dispatch, MEMBERID_NIL));

    HREFTYPE vtableRef = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &vtableRef));
    ITypeInfo* vtable = nullptr;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(vtableRef, &vtable));
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attributes));
    ASSERT_EQ(3, attributes->cFuncs);
    vtable->ReleaseTypeAttr(attributes);
    const wchar_t* names[] = {L"Value", L"Text", L"Tag"};
    const VARTYPE types[] = {VT_VARIANT, VT_BSTR, VT_BSTR};
    for (UINT i = 0; i < 3; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &function));
        EXPECT_EQ(static_cast<MEMBERID>(i), function->memid);
        EXPECT_EQ(INVOKE_PROPERTYGET, function->invkind);
        EXPECT_EQ(names[i], NameOf(vtable, function->memid));
        ASSERT_EQ(1, function->cParams);
        EXPECT_EQ(types[i], function->lprgelemdescParam[0].tdesc.lptdesc->vt);
        vtable->ReleaseFuncDesc(function);
    }
    EXPECT_EQ(L"Returns the value contained in the Cell object.", HelpOf(vtable, 0));
    vtable->Release();
    dispatch->Release();
}

TEST_F(TypeLibraryTest, EventInterfaceHasSixEventsWithIntegerArguments) {
    ITypeInfo* events = InfoOf(DIID___View);
    ASSERT_NE(nullptr, events);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, events->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_DISPATCH, attributes->typekind);
    EXPECT_FALSE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    ASSERT_EQ(6, attributes->cFuncs);
    events->ReleaseTypeAttr(attributes);
    EXPECT_EQ(L"Norvik default source interface", HelpOf(events, MEMBERID_NIL));

    struct Event {
        const wchar_t* name;
        std::vector<std::wstring> params;
        const wchar_t* help;
    } expected[] = {
        {L"OnSelect", {}, L"Occurs when the current selection changes."},
        {L"OnContextMenu",
         {L"X", L"Y", L"Record"},
         L"Occurs when the user presses the right mouse button."},
        {L"OnItemDblClick",
         {L"X", L"Y", L"Record"},
         L"Occurs when the user double-clicks the record."},
        {L"OnKeyDown",
         {L"KeyCode", L"Shift"},
         L"Occurs when the user presses a key while an object has the focus."},
        {L"OnKeyUp",
         {L"KeyCode", L"Shift"},
         L"Occurs when the user releases a key while an object has the focus."},
        {L"OnKeyPress", {L"KeyAscii"}, L"Occurs when the user presses and releases an ANSI key."},
    };
    for (UINT i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, events->GetFuncDesc(i, &function));
        EXPECT_EQ(static_cast<MEMBERID>(i + 1), function->memid);
        EXPECT_EQ(VT_VOID, function->elemdescFunc.tdesc.vt);
        ASSERT_EQ(static_cast<short>(expected[i].params.size()), function->cParams);
        BSTR names[4] = {};
        UINT count = 0;
        events->GetNames(function->memid, names, 4, &count);
        ASSERT_EQ(expected[i].params.size() + 1, count);
        EXPECT_EQ(expected[i].name, Text(names[0]));
        for (UINT p = 0; p < expected[i].params.size(); ++p) {
            EXPECT_EQ(expected[i].params[p], Text(names[p + 1]));
            EXPECT_EQ(VT_I4, function->lprgelemdescParam[p].tdesc.vt);
        }
        for (UINT n = 0; n < count; ++n)
            SysFreeString(names[n]);
        EXPECT_EQ(expected[i].help, HelpOf(events, function->memid));
        events->ReleaseFuncDesc(function);
    }
    events->Release();
}

TEST_F(TypeLibraryTest, EnumerationsCarryTheirConstantsAndHelp) {
    struct Enumeration {
        const wchar_t* name;
        const wchar_t* help;
        std::vector<std::wstring> constants;
        std::vector<std::wstring> helps;
    } expected[] = {
        {L"ColumnAlign",
         L"Specifies the alignment of the text.",
         {L"flLeft", L"flCenter", L"flRight"},
         {L"Align text to the left.", L"Align text in the center.", L"Align text to the right."}},
        {L"DateTimeFormat",
         L"Specifies the formatting for the date and time values.",
         {L"flShortDate", L"flLongDate", L"flShortDateShortTime", L"flShortDateLongTime",
          L"flLongDateShortTime", L"flLongDateLongTime"},
         {L"Display a date using the short date format specified in your computer's regional "
          L"settings.",
          L"Display a date using the long date format specified in your computer's regional "
          L"settings.",
          L"Display a date and time using the short date and time format specified in your "
          L"computer's regional settings. Does not use seconds.",
          L"Display a date and time using the short date and time format specified in your "
          L"computer's regional settings.",
          L"Display a date and time using the long date and time format specified in your "
          L"computer's regional settings. Does not use seconds.",
          L"Display a date and time using the long date and time format specified in your "
          L"computer's regional settings."}},
        {L"DateTimeGrouping",
         L"Specifies the grouping for the date and time values.",
         {L"flHour", L"flDay", L"flMonth", L"flQuarter", L"flYear"},
         {L"Group by hour.", L"Group by day.", L"Group by month.", L"Group by quarter.",
          L"Group by year."}},
    };
    for (const Enumeration& enumeration : expected) {
        SCOPED_TRACE(enumeration.name);
        ITypeInfo* info = InfoNamed(enumeration.name);
        ASSERT_NE(nullptr, info);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
        EXPECT_EQ(TKIND_ENUM, attributes->typekind);
        ASSERT_EQ(enumeration.constants.size(), attributes->cVars);
        info->ReleaseTypeAttr(attributes);
        EXPECT_EQ(enumeration.help, HelpOf(info, MEMBERID_NIL));
        for (UINT i = 0; i < enumeration.constants.size(); ++i) {
            VARDESC* constant = nullptr;
            ASSERT_EQ(S_OK, info->GetVarDesc(i, &constant));
            EXPECT_EQ(VAR_CONST, constant->varkind);
            ASSERT_EQ(VT_I4, V_VT(constant->lpvarValue));
            EXPECT_EQ(static_cast<LONG>(i), V_I4(constant->lpvarValue));
            EXPECT_EQ(enumeration.constants[i], NameOf(info, constant->memid));
            EXPECT_EQ(enumeration.helps[i], HelpOf(info, constant->memid));
            info->ReleaseVarDesc(constant);
        }
        info->Release();
    }
}

TEST_F(TypeLibraryTest, CoclassViewIsAControlWithDefaultAndSourceInterfaces) {
    ITypeInfo* coclass = InfoOf(CLSID_View);
    ASSERT_NE(nullptr, coclass);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(2, attributes->cImplTypes);
    coclass->ReleaseTypeAttr(attributes);
    EXPECT_EQ(L"View", NameOf(coclass, MEMBERID_NIL));

    const GUID expected[] = {IID__View, DIID___View};
    const INT flags[] = {IMPLTYPEFLAG_FDEFAULT, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
    for (UINT i = 0; i < 2; ++i) {
        INT implFlags = 0;
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(i, &implFlags));
        EXPECT_EQ(flags[i], implFlags);
        HREFTYPE ref = 0;
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &ref));
        ITypeInfo* implemented = nullptr;
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, &implemented));
        ASSERT_EQ(S_OK, implemented->GetTypeAttr(&attributes));
        EXPECT_EQ(expected[i], attributes->guid);
        implemented->ReleaseTypeAttr(attributes);
        implemented->Release();
    }
    coclass->Release();
}
