// Every type and member the built module's type library holds has its section in the
// reference, with its signatures, and the section's IDL names the member's real DISPID; every
// enumeration constant is listed with its value.

#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string NameOf(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    std::string narrow;
    for (UINT i = 0; i < SysStringLen(name); ++i)
        narrow += static_cast<char>(name[i]); // the library's names are ASCII
    SysFreeString(name);
    return narrow;
}

// From the heading of this level that names `name` in backticks to the next heading of the
// same or a higher level (code blocks skipped); empty when there is none.
std::string Section(const std::string& text, size_t level, const std::string& name) {
    std::istringstream lines(text);
    std::string line, body;
    bool inside = false, code = false;
    while (std::getline(lines, line)) {
        code ^= line.rfind("```", 0) == 0;
        const size_t marks = line.find_first_not_of('#'); // a heading's level, else 0
        const size_t heading =
            !code && marks && marks < line.size() && line[marks] == ' ' ? marks : 0;
        if (inside && heading && heading <= level)
            break;
        inside |= heading == level && line.find("`" + name + "`") != std::string::npos;
        if (inside)
            body += line + "\n";
    }
    return body;
}

TEST(Reference, HoldsEveryTypeAndMemberOfTheTypeLibrary) {
    std::ifstream file(NORV_REFERENCE);
    ASSERT_TRUE(file) << NORV_REFERENCE;
    const std::string reference((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(NORV_DLL_PATH, REGKIND_NONE, &library));
    for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
        ITypeInfo* info = nullptr;
        ASSERT_EQ(S_OK, library->GetTypeInfo(t, &info));
        TYPEATTR* type = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&type));
        const std::string typeName = NameOf(info, MEMBERID_NIL);
        const std::string section = Section(reference, 2, typeName);
        EXPECT_FALSE(section.empty()) << "no section for " << typeName;
        for (UINT v = 0; v < type->cVars; ++v) {
            VARDESC* var = nullptr;
            ASSERT_EQ(S_OK, info->GetVarDesc(v, &var));
            const std::string row = "| `" + NameOf(info, var->memid) + "` | " +
                                    std::to_string(V_I4(var->lpvarValue)) + " |";
            EXPECT_NE(section.find(row), std::string::npos) << typeName << ": " << row;
            info->ReleaseVarDesc(var);
        }
        for (UINT f = 0; f < type->cFuncs; ++f) {
            FUNCDESC* function = nullptr;
            ASSERT_EQ(S_OK, info->GetFuncDesc(f, &function));
            const std::string name = NameOf(info, function->memid);
            const std::string id = "id(" + std::to_string(function->memid) + ")";
            // IUnknown's and IDispatch's members, restricted, come with a dual interface.
            const bool inherited = function->wFuncFlags & FUNCFLAG_FRESTRICTED;
            info->ReleaseFuncDesc(function);
            if (inherited)
                continue;
            const std::string member = Section(section, 3, name);
            EXPECT_NE(member.find("```idl"), std::string::npos) << typeName << "." << name;
            EXPECT_NE(member.find(id), std::string::npos) << typeName << "." << name << " " << id;
            EXPECT_NE(member.find("```vb"), std::string::npos) << typeName << "." << name;
        }
        info->ReleaseTypeAttr(type);
        info->Release();
    }
    library->Release();
}

} // namespace
