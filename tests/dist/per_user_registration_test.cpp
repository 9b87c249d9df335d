// Registration for the current user alone, as a user does it: regsvr32 /n /i:user, then
// regsvr32 /u /n /i:user; the machine's classes untouched. Creation by ProgID from the keys it
// writes is that of the machine's registration (the script and sample tests), since the keys are
// the same.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// What a registration of the control writes under a classes key.
const wchar_t* const ourKeys[] = {L"Norv.View",
                                  L"Norv.View.1",
                                  L"CLSID\\{0F6339AF-1306-4B37-A22A-7E55061277CD}",
                                  L"TypeLib\\{0C617DE4-EF2A-4A1F-ACAD-558007FA298B}",
                                  L"Interface\\{C6E8AB84-8449-4377-8534-2957C8AD0164}",
                                  L"Interface\\{DF75538C-DF67-4366-8BE0-C7DD57F7F7DA}",
                                  L"Interface\\{18679933-28EF-4082-A9B0-6F59EE7EA3F1}"};

// Every key and value below root\path as sorted lines ("path", "path|name=text").
void ReadTree(HKEY root, const std::wstring& path, std::vector<std::wstring>& lines) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    lines.push_back(path);
    wchar_t name[256], text[1024];
    for (DWORD i = 0, length = 256, size = sizeof text - 2;
         RegEnumValueW(key, i, name, &length, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                       &size) == ERROR_SUCCESS;
         ++i, length = 256, size = sizeof text - 2)
        lines.push_back(path + L"|" + name + L"=" + std::wstring(text, size / 2).c_str());
    for (DWORD i = 0, length = 256;
         RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 256)
        ReadTree(root, path.empty() ? name : path + L"\\" + name, lines);
    RegCloseKey(key);
    std::sort(lines.begin(), lines.end());
}

std::vector<std::wstring> OurKeysUnder(HKEY classes) {
    std::vector<std::wstring> lines;
    for (const wchar_t* key : ourKeys)
        ReadTree(classes, key, lines);
    return lines;
}

// Runs a program of this one's bitness with the module's path; its exit code.
int RunWith(const std::wstring& command, const char* path) {
    std::wstring windowsPath(path, path + strlen(path));
    std::replace(windowsPath.begin(), windowsPath.end(), L'/', L'\\');
    return _wsystem((command + L" Z:" + windowsPath).c_str());
}

} // namespace

TEST(UserClasses, RegistersForTheUserOnlyAndUnregistersWithoutATrace) {
    HKEY classes = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &classes, nullptr));
    const std::vector<std::wstring> none;
    ASSERT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), none) << "registered for the machine already";
    std::vector<std::wstring> before, after;
    ReadTree(classes, L"", before);
    ASSERT_EQ(0, RunWith(L"regsvr32.exe /s /n /i:user", NORV_DLL_PATH));
    const std::vector<std::wstring> user = OurKeysUnder(classes);
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), none);
    // The same keys as the machine's registration, which the user's unregistration leaves alone.
    ASSERT_EQ(0, RunWith(L"regsvr32.exe /s", NORV_DLL_PATH));
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), user);
    ASSERT_EQ(0, RunWith(L"regsvr32.exe /s /u /n /i:user", NORV_DLL_PATH));
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), user);
    ASSERT_EQ(0, RunWith(L"regsvr32.exe /s /u", NORV_DLL_PATH));
    EXPECT_EQ(OurKeysUnder(HKEY_CLASSES_ROOT), none);
    ReadTree(classes, L"", after);
    EXPECT_EQ(after, before) << "nothing left under the user's classes";
    RegCloseKey(classes);
}
