// Self-registration of the built module through its own entry points, as regsvr32 calls them.

#include "com_test_support.h"

namespace {

using RegistrationTest = ComTest;

HRESULT Register(bool unregister = false) {
    return CallEntry(unregister ? "DllUnregisterServer" : "DllRegisterServer");
}

// The string value (default when name is null), or why there is none.
std::wstring ValueOf(const std::wstring& path, const wchar_t* name = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<no key>";
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    const LSTATUS read = RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? buffer : L"<no value>";
}

const std::wstring clsid = L"{0F6339AF-1306-4B37-A22A-7E55061277CD}";
const std::wstring classKey = L"CLSID\\" + clsid;

} // namespace

TEST_F(RegistrationTest, WritesAndRemovesTheClassKeys) {
    ASSERT_EQ(S_OK, Register());
    const std::wstring module = ModuleWindowsPath();
    const struct {
        std::wstring path;
        const wchar_t* name;
        std::wstring value; // empty: the key, whatever it holds
    } values[] = {
        {L"Norv.View.1\\CLSID", nullptr, clsid},
        {L"Norv.View\\CurVer", nullptr, L"Norv.View.1"},
        {classKey, nullptr, L"Norvik Control 1.0"},
        {classKey + L"\\ProgID", nullptr, L"Norv.View.1"},
        {classKey + L"\\VersionIndependentProgID", nullptr, L"Norv.View"},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\ToolboxBitmap32", nullptr, module + L", 101"},
        {classKey + L"\\MiscStatus", nullptr, L"0"},
        {classKey + L"\\MiscStatus\\1", nullptr, L"131473"},
        {classKey + L"\\TypeLib", nullptr, L"{0C617DE4-EF2A-4A1F-ACAD-558007FA298B}"},
        {classKey + L"\\Version", nullptr, L"1.0"},
        {classKey + L"\\Programmable", nullptr, L""},
        {classKey + L"\\Control", nullptr, L""},
    };
    for (const auto& [path, name, expected] : values) {
        const std::wstring value = ValueOf(path, name);
        EXPECT_TRUE(expected.empty() ? value != L"<no key>"
                                     : !_wcsicmp(expected.c_str(), value.c_str()))
            << path << " " << value;
    }

    // The type library too (creating by ProgID through the server is the script tests' part).
    BSTR libraryPath = nullptr;
    ASSERT_EQ(S_OK, QueryPathOfRegTypeLib(LIBID_NORV, 1, 0, LOCALE_NEUTRAL, &libraryPath));
    EXPECT_EQ(0, _wcsicmp(module.c_str(), Take(libraryPath).c_str()));

    // Registering again clears what the class key held before.
    HKEY stale = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, (classKey + L"\\Stale").c_str(), 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr));
    RegCloseKey(stale);
    ASSERT_EQ(S_OK, Register());
    EXPECT_EQ(L"<no key>", ValueOf(classKey + L"\\Stale"));

    // Unregistering removes the keys but not CLSID itself, and twice is no error.
    ASSERT_EQ(S_OK, Register(true));
    for (const wchar_t* key : {L"Norv.View.1", L"Norv.View", classKey.c_str()})
        EXPECT_EQ(L"<no key>", ValueOf(key)) << key;
    EXPECT_NE(L"<no key>", ValueOf(L"CLSID"));
    EXPECT_NE(S_OK, QueryPathOfRegTypeLib(LIBID_NORV, 1, 0, LOCALE_NEUTRAL, &libraryPath));
    EXPECT_EQ(S_OK, Register(true));

    ASSERT_EQ(S_OK, Register()); // the script tests that follow need the control registered
}
