// Every type and member the built module's type library holds has its section in the
// reference, with its signatures, and the section's IDL names the member's real DISPID; every
// enumeration constant is listed with its value.

#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string Narrow(BSTR text) {
    std::string narrow;
    for (const wchar_t* c = text; c && *c; ++c)
        narrow += static_cast<char>(*c);
    SysFreeString(text);
    return narrow;
}

std::string NameOf(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return Narrow(name);
}

// The level of a Markdown heading line, 0 for any other line.
size_t HeadingLevel(const std::string& line) {
    const size_t marks = line.find_first_not_of('#');
    return marks > 0 && marks != std::string::npos && line[marks] == ' ' ? marks : 0;
}

// From the heading of this level that names `name` in backticks to the next heading of the
// same or a higher level (code blocks skipped); empty when there is none.
std::string Section(const std::string& text, size_t level, const std::string& name) {
    std::istringstream lines(text);
    std::string line, body;
    bool inside = false, code = false;
    while (std::getline(lines, line)) {
        code ^= line.rfind("```", 0) == 0;
        const size_t heading = code ? 0 : HeadingLevel(line);
        if (inside && heading && heading <= level)
            break;
        inside |= heading == level && line.find("`" + name + "`") != std::string::npos;
        if (inside)
            body += line + "\n";
    }
    return body;
}

const std::set<std::string> inherited = {"QueryInterface", "AddRef",           "Release",
                                         "Invoke",         "GetTypeInfoCount", "GetTypeInfo",
                                         "GetIDsOfNames"};

TEST(Reference, HoldsEveryTypeAndMemberOfTheTypeLibrary) {
    std::ifstream file(NORV_REFERENCE);
    ASSERT_TRUE(file) << NORV_REFERENCE;
    const std::string reference((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(NORV_DLL_PATH, REGKIND_NONE, &library));
    int members = 0;
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
            ++members;
        }
        std::set<std::string> seen;
        for (UINT f = 0; f < type->cFuncs; ++f) {
            FUNCDESC* function = nullptr;
            ASSERT_EQ(S_OK, info->GetFuncDesc(f, &function));
            const std::string name = NameOf(info, function->memid);
            const std::string id = "id(" + std::to_string(function->memid) + ")";
            info->ReleaseFuncDesc(function);
            if (inherited.count(name) || !seen.insert(name).second)
                continue; // a property's get and put share a section
            const std::string member = Section(section, 3, name);
            EXPECT_NE(member.find("```idl"), std::string::npos) << typeName << "." << name;
            EXPECT_NE(member.find(id), std::string::npos) << typeName << "." << name << " " << id;
            EXPECT_NE(member.find("```vb"), std::string::npos) << typeName << "." << name;
            ++members;
        }
        info->ReleaseTypeAttr(type);
        info->Release();
    }
    library->Release();
    std::cout << members << " members read from the type library\n";
}

} // namespace
