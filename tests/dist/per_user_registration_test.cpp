// Registration for the current user alone, as a user does it: regsvr32 /n /i:user, a script
// host creating the control, regsvr32 /u /n /i:user.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What a registration of the control writes under a classes key, and nothing else of ours.
const wchar_t* const ourKeys[] = {
    L"Norv.View",
    L"Norv.View.1",
    L"CLSID\\{0F6339AF-1306-4B37-A22A-7E55061277CD}",
    L"TypeLib\\{0C617DE4-EF2A-4A1F-ACAD-558007FA298B}",
    L"Interface\\{C6E8AB84-8449-4377-8534-2957C8AD0164}",
    L"Interface\\{DF75538C-DF67-4366-8BE0-C7DD57F7F7DA}",
    L"Interface\\{18679933-28EF-4082-A9B0-6F59EE7EA3F1}",
};

std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// Every key and value below root\path, one line each ("path" or "path|name=data"), sorted;
// path is relative to root.
void ReadTree(HKEY root, const std::wstring& path, std::vector<std::wstring>& lines) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines.push_back(path);
    wchar_t name[256];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, size = sizeof data - 2, type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        data[size] = data[size + 1] = 0;
        lines.push_back(path + L"|" + name + L"=" +
                        (type == REG_SZ ? reinterpret_cast<wchar_t*>(data) : L"<not text>"));
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        ReadTree(root, path.empty() ? name : path + L"\\" + name, lines);
    }
    RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
}

std::vector<std::wstring> OurKeysUnder(HKEY classes) {
    std::vector<std::wstring> lines;
    for (const wchar_t* key : ourKeys)
        ReadTree(classes, key, lines);
    return lines;
}

// Runs a command line of this program's bitness to its end; its exit code.
DWORD RunToEnd(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

class UserClasses : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &classes, nullptr));
    }
    void TearDown() override { RegCloseKey(classes); }

    HKEY classes = nullptr;
    const std::wstring module = L" \"" + WindowsPath(NORV_DLL_PATH) + L"\"";
};

} // namespace

TEST_F(UserClasses, RegistersForTheUserOnlyAndUnregistersWithoutATrace) {
    ASSERT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), std::vector<std::wstring>{})
        << "registered for the machine before the test";
    std::vector<std::wstring> before;
    ReadTree(classes, L"", before);

    ASSERT_EQ(0u, RunToEnd(L"regsvr32.exe /s /n /i:user" + module));
    const std::vector<std::wstring> user = OurKeysUnder(classes);
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), std::vector<std::wstring>{})
        << "the machine's classes untouched";

    // Windows reads the user's classes before the machine's; Wine 8 reads the machine's only.
    // The user's keys stand in there, copied, while a script host creates the control.
    for (const wchar_t* key : ourKeys) {
        HKEY copy = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &copy, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegCopyTreeW(classes, key, copy)) << key;
        RegCloseKey(copy);
    }
    EXPECT_EQ(0u, RunToEnd(L"cscript.exe //nologo " + WindowsPath(NORV_CREATE_SCRIPT)));
    for (const wchar_t* key : ourKeys) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
    }

    // The same keys as the machine's registration, which the user's unregistration leaves alone.
    ASSERT_EQ(0u, RunToEnd(L"regsvr32.exe /s" + module));
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), user);
    ASSERT_EQ(0u, RunToEnd(L"regsvr32.exe /s /u /n /i:user" + module));
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), user);
    ASSERT_EQ(0u, RunToEnd(L"regsvr32.exe /s /u" + module));
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), std::vector<std::wstring>{});

    // Nothing left under the user's classes.
    std::vector<std::wstring> after;
    ReadTree(classes, L"", after);
    EXPECT_EQ(after, before);
}
