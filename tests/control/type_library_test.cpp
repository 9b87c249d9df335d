// The type library as any automation client reads it back from the built module.

#include "com_test_support.h"

namespace {

// The name, or with help the help string, of a library (index -1) or type member.
template <typename T> std::wstring Doc(T* owner, LONG id, bool help = false) {
    BSTR text = nullptr;
    owner->GetDocumentation(id, help ? nullptr : &text, help ? &text : nullptr, nullptr, nullptr);
    return Take(text);
}

TYPEATTR AttributesOf(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    TYPEATTR copy = {};
    if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
        copy = *attributes;
        info->ReleaseTypeAttr(attributes);
    }
    return copy;
}

// The member's name followed by its parameters' names.
std::vector<std::wstring> NamesOf(ITypeInfo* info, MEMBERID id) {
    BSTR names[8] = {};
    UINT count = 0;
    EXPECT_EQ(S_OK, info->GetNames(id, names, 8, &count));
    std::vector<std::wstring> result;
    for (UINT i = 0; i < count; ++i)
        result.push_back(Take(names[i]));
    return result;
}

using Names = std::vector<std::wstring>;

class TypeLibraryTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_NE(nullptr, library);
    }
    static ITypeLib* Load() {
        ITypeLib* loaded = nullptr;
        LoadTypeLibEx(ModuleWindowsPath().c_str(), REGKIND_NONE, &loaded);
        return loaded;
    }
    ITypeInfo* InfoOf(REFGUID guid) {
        ITypeInfo* info = nullptr;
        library->GetTypeInfoOfGuid(guid, &info);
        return info;
    }
    ITypeInfo* InfoNamed(const wchar_t* name) {
        ITypeInfo* info = nullptr;
        for (UINT i = 0; !info && i < library->GetTypeInfoCount(); ++i)
            if (Doc(library, static_cast<LONG>(i)) == name)
                library->GetTypeInfo(i, &info);
        return info;
    }
    ITypeInfo* VtableOf(ITypeInfo* dispatch) {
        ITypeInfo* vtable = nullptr;
        HREFTYPE ref = 0;
        if (SUCCEEDED(dispatch->GetRefTypeOfImplType(-1, &ref)))
            dispatch->GetRefTypeInfo(ref, &vtable);
        dispatch->Release();
        return vtable;
    }

    inline static ITypeLib* library = Load();
};

struct Member {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    short params;
    VARTYPE result; // of the retval parameter; VT_EMPTY for none
};

} // namespace

TEST_F(TypeLibraryTest, DualInterfacesListTheirMembersInOrder) {
    const Member view[] = {
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
    const Member cell[] = {{L"Value", 0, INVOKE_PROPERTYGET, 1, VT_VARIANT},
                           {L"Text", 1, INVOKE_PROPERTYGET, 1, VT_BSTR},
                           {L"Tag", 2, INVOKE_PROPERTYGET, 1, VT_BSTR}};
    const struct {
        const IID* iid;
        const Member* members;
        WORD count;
        const wchar_t* help;
    } interfaces[] = {
        {&IID__View, view, 14,
         L"The control displays a list of records from which the user can select one. In "
         L"addition, the user can manage record sorting and optional grouping into the hierarchy."},
        {&IID_Cell, cell, 3,
         L"Represents the stored data at the intersection of record and column indexes in the "
         L"loaded data array."},
    };
    for (const auto& expected : interfaces) {
        ITypeInfo* dispatch = InfoOf(*expected.iid);
        ASSERT_NE(nullptr, dispatch);
        EXPECT_EQ(TKIND_DISPATCH, AttributesOf(dispatch).typekind);
        EXPECT_TRUE(AttributesOf(dispatch).wTypeFlags & TYPEFLAG_FDUAL);
        EXPECT_EQ(expected.help, Doc(dispatch, MEMBERID_NIL, true));
        ITypeInfo* vtable = VtableOf(dispatch);
        ASSERT_NE(nullptr, vtable);
        ASSERT_EQ(expected.count, AttributesOf(vtable).cFuncs);
        for (UINT i = 0; i < expected.count; ++i) {
            const Member& member = expected.members[i];
            SCOPED_TRACE(member.name);
            FUNCDESC* function = nullptr;
            ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &function));
            EXPECT_EQ(member.id, function->memid);
            EXPECT_EQ(member.kind, function->invkind);
            EXPECT_EQ(member.name, Doc(vtable, function->memid));
            EXPECT_FALSE(Doc(vtable, function->memid, true).empty());
            ASSERT_EQ(member.params, function->cParams);
            if (member.result != VT_EMPTY) {
                const ELEMDESC& last = function->lprgelemdescParam[function->cParams - 1];
                ASSERT_EQ(VT_PTR, last.tdesc.vt);
                EXPECT_EQ(member.result, last.tdesc.lptdesc->vt);
                EXPECT_TRUE(last.paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
            }
            vtable->ReleaseFuncDesc(function);
        }
        vtable->Release();
    }
}

TEST_F(TypeLibraryTest, EventInterfaceHasSixEventsWithIntegerArguments) {
    ITypeInfo* events = InfoOf(DIID___View);
    ASSERT_NE(nullptr, events);
    EXPECT_EQ(TKIND_DISPATCH, AttributesOf(events).typekind);
    EXPECT_FALSE(AttributesOf(events).wTypeFlags & TYPEFLAG_FDUAL);
    ASSERT_EQ(6, AttributesOf(events).cFuncs);
    EXPECT_EQ(L"Norvik default source interface", Doc(events, MEMBERID_NIL, true));
    const Names expected[] = {{L"OnSelect"},
                              {L"OnContextMenu", L"X", L"Y", L"Record"},
                              {L"OnItemDblClick", L"X", L"Y", L"Record"},
                              {L"OnKeyDown", L"KeyCode", L"Shift"},
                              {L"OnKeyUp", L"KeyCode", L"Shift"},
                              {L"OnKeyPress", L"KeyAscii"}};
    for (UINT i = 0; i < 6; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, events->GetFuncDesc(i, &function));
        EXPECT_EQ(static_cast<MEMBERID>(i + 1), function->memid);
        EXPECT_EQ(expected[i], NamesOf(events, function->memid));
        ASSERT_EQ(static_cast<short>(expected[i].size() - 1), function->cParams);
        for (short p = 0; p < function->cParams; ++p)
            EXPECT_EQ(VT_I4, function->lprgelemdescParam[p].tdesc.vt) << i;
        EXPECT_FALSE(Doc(events, function->memid, true).empty()) << i;
        events->ReleaseFuncDesc(function);
    }
    EXPECT_EQ(L"Occurs when the user double-clicks the record.", Doc(events, 3, true));
    events->Release();
}

TEST_F(TypeLibraryTest, EnumerationsCarryTheirConstantsAndHelp) {
    const struct {
        const wchar_t* name;
        const wchar_t* help;
        Names constants;
    } expected[] = {
        {L"ColumnAlign",
         L"Specifies the alignment of the text.",
         {L"flLeft", L"flCenter", L"flRight"}},
        {L"DateTimeFormat",
         L"Specifies the formatting for the date and time values.",
         {L"flShortDate", L"flLongDate", L"flShortDateShortTime", L"flShortDateLongTime",
          L"flLongDateShortTime", L"flLongDateLongTime"}},
        {L"DateTimeGrouping",
         L"Specifies the grouping for the date and time values.",
         {L"flHour", L"flDay", L"flMonth", L"flQuarter", L"flYear"}},
    };
    for (const auto& enumeration : expected) {
        SCOPED_TRACE(enumeration.name);
        ITypeInfo* info = InfoNamed(enumeration.name);
        ASSERT_NE(nullptr, info);
        EXPECT_EQ(TKIND_ENUM, AttributesOf(info).typekind);
        ASSERT_EQ(enumeration.constants.size(), AttributesOf(info).cVars);
        EXPECT_EQ(enumeration.help, Doc(info, MEMBERID_NIL, true));
        for (UINT i = 0; i < enumeration.constants.size(); ++i) {
            VARDESC* constant = nullptr;
            ASSERT_EQ(S_OK, info->GetVarDesc(i, &constant));
            ASSERT_EQ(VT_I4, V_VT(constant->lpvarValue));
            EXPECT_EQ(static_cast<LONG>(i), V_I4(constant->lpvarValue));
            EXPECT_EQ(enumeration.constants[i], Doc(info, constant->memid));
            info->ReleaseVarDesc(constant);
        }
        info->Release();
    }
}

TEST_F(TypeLibraryTest, LibraryNorvOneZeroHasTheControlViewWithDefaultAndSourceInterfaces) {
    TLIBATTR* libraryAttributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libraryAttributes));
    EXPECT_TRUE(libraryAttributes->wLibFlags & LIBFLAG_FCONTROL);
    library->ReleaseTLibAttr(libraryAttributes);
    EXPECT_EQ(L"NORV", Doc(library, -1));
    EXPECT_EQ(L"Norvik 1.0", Doc(library, -1, true));
    ITypeInfo* coclass = InfoOf(CLSID_View);
    ASSERT_NE(nullptr, coclass);
    TYPEATTR attributes = AttributesOf(coclass);
    EXPECT_EQ(TKIND_COCLASS, attributes.typekind);
    EXPECT_EQ(TYPEFLAG_FCONTROL | TYPEFLAG_FCANCREATE, attributes.wTypeFlags);
    ASSERT_EQ(2, attributes.cImplTypes);
    EXPECT_EQ(L"View", Doc(coclass, MEMBERID_NIL));
    const GUID expected[] = {IID__View, DIID___View};
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ITypeInfo* implemented = nullptr;
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(i, &flags));
        EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT | (i ? IMPLTYPEFLAG_FSOURCE : 0), flags);
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &ref));
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, &implemented));
        EXPECT_EQ(expected[i], AttributesOf(implemented).guid);
        implemented->Release();
    }
    coclass->Release();
}
