// The type library as clients read it back from the built module: a line per type and member.

#include "com_test_support.h"

#include <fstream>

namespace {

using Lines = std::vector<std::wstring>;

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

// " id [get|put] Name(Parameter, ...)" with "opt", "retval" and defaults, once the member's
// help is seen; the parameters' types are the compiler's part (the header shares them).
std::wstring Function(ITypeInfo* info, UINT index) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(index, &f)))
        return L"(none)";
    BSTR names[8] = {};
    UINT count = 0;
    info->GetNames(f->memid, names, 8, &count);
    std::wstring line = L" " + std::to_wstring(f->memid) +
                        (f->invkind == INVOKE_PROPERTYGET   ? L" get "
                         : f->invkind == INVOKE_PROPERTYPUT ? L" put "
                                                            : L" ") +
                        Take(names[0]) + L"(";
    for (UINT p = 0; p < static_cast<UINT>(f->cParams); ++p) {
        const PARAMDESC& param = f->lprgelemdescParam[p].paramdesc;
        line += std::wstring(p ? L", " : L"") +
                (param.wParamFlags & PARAMFLAG_FOPT ? L"opt " : L"") +
                (param.wParamFlags & PARAMFLAG_FRETVAL ? L"retval " : L"") +
                (p + 1 < count ? Take(names[p + 1]) : L"?");
        if (param.wParamFlags & PARAMFLAG_FHASDEFAULT)
            line += L" = " + std::to_wstring(V_I4(&param.pparamdescex->varDefaultValue));
    }
    EXPECT_FALSE(Doc(info, f->memid, true).empty()) << line;
    info->ReleaseFuncDesc(f);
    return line + L")";
}

// Name, kind, help; an enumeration's constants, a dispatch interface's members (a dual one's
// from its vtable side), a class's interfaces.
void Describe(ITypeInfo* info, Lines& lines) {
    const TYPEATTR type = AttributesOf(info);
    const wchar_t* kinds[] = {L"enum",      L"record",        L"module",
                              L"interface", L"dispinterface", L"coclass"};
    lines.push_back(Doc(info, MEMBERID_NIL) + L" " + kinds[type.typekind % 6]);
    for (auto [flag, name] : {std::pair{TYPEFLAG_FDUAL, L" dual"},
                              {TYPEFLAG_FCONTROL, L" control"},
                              {TYPEFLAG_FCANCREATE, L" new"},
                              {TYPEFLAG_FHIDDEN, L" hidden"}})
        lines.back() += type.wTypeFlags & flag ? name : L"";
    lines.back() += L": " + Doc(info, MEMBERID_NIL, true);
    for (UINT i = 0; i < type.cVars; ++i) {
        VARDESC* constant = nullptr;
        ASSERT_EQ(S_OK, info->GetVarDesc(i, &constant));
        const VARIANT& value = *constant->lpvarValue;
        lines.back() += L" " + Doc(info, constant->memid) + L"=" +
                        (V_VT(&value) == VT_I4 ? std::to_wstring(V_I4(&value)) : L"?");
        // Help written in by a build step of its own: none empty, none slipped to a neighbour.
        const std::wstring help = Doc(info, constant->memid, true);
        EXPECT_FALSE(help.empty()) << lines.back();
        lines.back() += i + 1 == type.cVars ? L" (" + help + L")" : L"";
        info->ReleaseVarDesc(constant);
    }
    HREFTYPE ref = 0;
    ITypeInfo* vtable = nullptr;
    if (type.wTypeFlags & TYPEFLAG_FDUAL && SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)))
        info->GetRefTypeInfo(ref, &vtable);
    ITypeInfo* functions = vtable ? vtable : info;
    for (UINT i = 0; type.typekind == TKIND_DISPATCH && i < AttributesOf(functions).cFuncs; ++i)
        lines.push_back(Function(functions, i));
    for (UINT i = 0; type.typekind == TKIND_COCLASS && i < type.cImplTypes; ++i) {
        INT flags = 0;
        info->GetImplTypeFlags(i, &flags);
        ITypeInfo* implemented = nullptr;
        info->GetRefTypeOfImplType(i, &ref);
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(ref, &implemented));
        lines.back() += (flags & IMPLTYPEFLAG_FDEFAULT ? L"; default " : L"; ") +
                        std::wstring(flags & IMPLTYPEFLAG_FSOURCE ? L"source " : L"") +
                        Doc(implemented, MEMBERID_NIL);
        implemented->Release();
    }
    if (vtable)
        vtable->Release();
}

} // namespace

TEST(TypeLibrary, EveryTypeAndMemberAsClientsBindToThemEachWithItsOwnHelp) {
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(ModuleWindowsPath().c_str(), REGKIND_NONE, &library));
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(attributes->wLibFlags & LIBFLAG_FCONTROL);
    library->ReleaseTLibAttr(attributes);
    EXPECT_EQ(L"NORV", Doc(library, -1));
    EXPECT_EQ(L"Norvik 1.0", Doc(library, -1, true));
    Lines lines;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ITypeInfo* info = nullptr;
        ASSERT_EQ(S_OK, library->GetTypeInfo(i, &info));
        Describe(info, lines);
        info->Release();
    }
    // The listing a client sees, kept as text so that a change of the interface reads as a diff.
    std::ifstream file(NORV_TEST_DATA "/type_library.txt");
    Lines expected;
    for (std::string line; std::getline(file, line);)
        expected.push_back(std::wstring(line.begin(), line.end())); // all ASCII
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, lines);

    library->Release();
}
