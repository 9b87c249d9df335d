// Self-registration: the registry script interpreter on keys of its own, then the built
// module registered and unregistered by regsvr32 as an installer would.

#include "com_test_support.h"
#include "control/registry_script.h"

#include <cstring>

namespace {

class RegistrationTest : public ComTest {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"NorvScriptTest");
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"NorvScriptTest");
        ComTest::TearDown();
    }
};

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The string value (default when name is null); "<missing>" when absent.
std::wstring ValueOf(const wchar_t* path, const wchar_t* name = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

HRESULT RunScript(const char* script, ScriptAction action) {
    return RunRegistryScript(script, std::strlen(script), L"C:\\dir\\mod.dll", action);
}

// Runs regsvr32 of the test's own Wine prefix and returns its exit code.
DWORD RunRegsvr32(bool unregister) {
    std::wstring command = L"regsvr32.exe /s ";
    if (unregister)
        command += L"/u ";
    command += L"\"" + ModuleWindowsPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

const wchar_t classKey[] = L"CLSID\\{0F6339AF-1306-4B37-A22A-7E55061277CD}";

std::wstring ClassKey(const wchar_t* sub = nullptr) {
    std::wstring path = classKey;
    if (sub)
        path += std::wstring(L"\\") + sub;
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

} // namespace

TEST_F(RegistrationTest, ScriptWritesKeysValuesAndModulePath) {
    const char* script = "# a comment\n"
                         "key   NorvScriptTest \"Top\"\r\n"
                         "\n"
                         "key   NorvScriptTest\\Server \"%MODULE%, 7\"\n"
                         "value NorvScriptTest\\Server Model \"Both\"\n"
                         "key   NorvScriptTest\\Empty\n";
    ASSERT_EQ(S_OK, RunScript(script, ScriptAction::Register));
    EXPECT_EQ(L"Top", ValueOf(L"NorvScriptTest"));
    EXPECT_EQ(L"C:\\dir\\mod.dll, 7", ValueOf(L"NorvScriptTest\\Server"));
    EXPECT_EQ(L"Both", ValueOf(L"NorvScriptTest\\Server", L"Model"));
    EXPECT_TRUE(KeyExists(L"NorvScriptTest\\Empty"));
    EXPECT_EQ(L"<missing>", ValueOf(L"NorvScriptTest\\Empty"));

    // Unregistration removes the named keys; running it twice is no error.
    ASSERT_EQ(S_OK, RunScript(script, ScriptAction::Unregister));
    EXPECT_FALSE(KeyExists(L"NorvScriptTest"));
    EXPECT_EQ(S_OK, RunScript(script, ScriptAction::Unregister));
}

TEST_F(RegistrationTest, FreshKeysLoseWhatTheyHeldAndUnnamedParentsStay) {
    ASSERT_EQ(S_OK, RunScript("key NorvScriptTest\\Class\\Old \"stale\"\n"
                              "key NorvScriptTest\\Keep \"mine\"\n",
                              ScriptAction::Register));
    const char* script = "fresh NorvScriptTest\\Class \"New\"\n"
                         "key   NorvScriptTest\\Class\\Sub \"s\"\n";
    ASSERT_EQ(S_OK, RunScript(script, ScriptAction::Register));
    EXPECT_FALSE(KeyExists(L"NorvScriptTest\\Class\\Old"));
    EXPECT_EQ(L"New", ValueOf(L"NorvScriptTest\\Class"));
    EXPECT_EQ(L"s", ValueOf(L"NorvScriptTest\\Class\\Sub"));

    ASSERT_EQ(S_OK, RunScript(script, ScriptAction::Unregister));
    EXPECT_FALSE(KeyExists(L"NorvScriptTest\\Class"));
    // The parent was never named by this script, so it and its other keys stay.
    EXPECT_EQ(L"mine", ValueOf(L"NorvScriptTest\\Keep"));
}

TEST_F(RegistrationTest, MalformedScriptsTouchNothing) {
    const char* broken[] = {
        "key NorvScriptTest \"ok\"\nkey NorvScriptTest\\A \"unterminated\n",
        "key NorvScriptTest \"ok\"\nmake NorvScriptTest\\A\n",
        "key NorvScriptTest \"ok\"\nkey\n",
        "key NorvScriptTest \"ok\"\nkey NorvScriptTest\\A bare\n",
        "key NorvScriptTest \"ok\"\nvalue NorvScriptTest Name\n",
        "key NorvScriptTest \"ok\" \"extra\"\n",
        "",
    };
    for (const char* script : broken) {
        SCOPED_TRACE(script);
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BAD_FORMAT), RunScript(script, ScriptAction::Register));
        EXPECT_FALSE(KeyExists(L"NorvScriptTest"));
    }
    EXPECT_EQ(E_POINTER, RunRegistryScript(nullptr, 0, L"x", ScriptAction::Register));
}

TEST_F(RegistrationTest, Regsvr32WritesAndRemovesTheClassKeys) {
    ASSERT_EQ(0u, RunRegsvr32(false));
    const std::wstring clsid = L"{0F6339AF-1306-4B37-A22A-7E55061277CD}";
    EXPECT_EQ(L"Norvik Control 1.0", ValueOf(L"Norv.View.1"));
    EXPECT_EQ(clsid, ValueOf(L"Norv.View.1\\CLSID"));
    EXPECT_EQ(L"Norvik Control 1.0", ValueOf(L"Norv.View"));
    EXPECT_EQ(clsid, ValueOf(L"Norv.View\\CLSID"));
    EXPECT_EQ(L"Norv.View.1", ValueOf(L"Norv.View\\CurVer"));
    EXPECT_EQ(L"Norvik Control 1.0", ValueOf(classKey));
    EXPECT_EQ(L"Norv.View.1", ValueOf(ClassKey(L"ProgID").c_str()));
    EXPECT_EQ(L"Norv.View", ValueOf(ClassKey(L"VersionIndependentProgID").c_str()));
    EXPECT_TRUE(KeyExists(ClassKey(L"Programmable").c_str()));
    EXPECT_TRUE(KeyExists(ClassKey(L"Control").c_str()));
    EXPECT_TRUE(KeyExists(ClassKey(L"Insertable").c_str()));
    EXPECT_TRUE(SamePath(ModuleWindowsPath(), ValueOf(ClassKey(L"InprocServer32").c_str())));
    EXPECT_EQ(L"Apartment", ValueOf(ClassKey(L"InprocServer32").c_str(), L"ThreadingModel"));
    EXPECT_TRUE(
        SamePath(ModuleWindowsPath() + L", 101", ValueOf(ClassKey(L"ToolboxBitmap32").c_str())));
    EXPECT_EQ(L"0", ValueOf(ClassKey(L"MiscStatus").c_str()));
    EXPECT_EQ(L"131473", ValueOf(ClassKey(L"MiscStatus\\1").c_str()));
    EXPECT_EQ(L"{0C617DE4-EF2A-4A1F-ACAD-558007FA298B}", ValueOf(ClassKey(L"TypeLib").c_str()));
    EXPECT_EQ(L"1.0", ValueOf(ClassKey(L"Version").c_str()));

    // The identifiers in the script are those of the type library.
    CLSID fromProgId = GUID_NULL;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Norv.View", &fromProgId));
    EXPECT_EQ(CLSID_View, fromProgId);
    BSTR libraryPath = nullptr;
    ASSERT_EQ(S_OK, QueryPathOfRegTypeLib(LIBID_NORV, 1, 0, LOCALE_NEUTRAL, &libraryPath));
    EXPECT_TRUE(SamePath(ModuleWindowsPath(), Text(libraryPath)));
    SysFreeString(libraryPath);
    _View* view = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_View, nullptr, CLSCTX_INPROC_SERVER, IID__View,
                                     reinterpret_cast<void**>(&view)));
    view->Release();

    // Registering again clears what the class key held before.
    HKEY stale = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKey(L"Stale").c_str(), 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr));
    RegCloseKey(stale);
    ASSERT_EQ(0u, RunRegsvr32(false));
    EXPECT_FALSE(KeyExists(ClassKey(L"Stale").c_str()));

    ASSERT_EQ(0u, RunRegsvr32(true));
    EXPECT_FALSE(KeyExists(L"Norv.View.1"));
    EXPECT_FALSE(KeyExists(L"Norv.View"));
    EXPECT_FALSE(KeyExists(classKey));
    EXPECT_TRUE(KeyExists(L"CLSID"));
    EXPECT_NE(S_OK, QueryPathOfRegTypeLib(LIBID_NORV, 1, 0, LOCALE_NEUTRAL, &libraryPath));
    // Unregistering what is not there is no error.
    EXPECT_EQ(0u, RunRegsvr32(true));

    // The script tests that follow need the control registered.
    ASSERT_EQ(0u, RunRegsvr32(false));
    EXPECT_TRUE(KeyExists(classKey));
}
