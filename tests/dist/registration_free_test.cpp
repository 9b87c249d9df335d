// The control with nothing registered: this program's application manifest (the one the
// package's README shows) names the control's assembly, whose manifest lies beside norv.dll in
// this program's folder, as a host ships them.

#include "host_test_support.h"

namespace {

bool Registered(const wchar_t* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// The folder of a loaded module, with its final backslash.
std::wstring FolderOf(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

} // namespace

TEST(RegistrationFree, CreatesByClsidAndProgIdAndInAnAtlHost) {
    for (const wchar_t* key : {L"Norv.View", L"CLSID\\{0F6339AF-1306-4B37-A22A-7E55061277CD}",
                               L"TypeLib\\{0C617DE4-EF2A-4A1F-ACAD-558007FA298B}"})
        ASSERT_FALSE(Registered(key)) << key;
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));

    // By CLSID, and by either ProgID as a script host finds it (under Wine the ProgID leads to
    // an alias of the class that the activation context resolves).
    std::vector<CLSID> classes{CLSID_View};
    for (const wchar_t* progId : {L"Norv.View", L"Norv.View.1"}) {
        classes.push_back(GUID_NULL);
        EXPECT_EQ(S_OK, CLSIDFromProgID(progId, &classes.back())) << progId;
    }
    for (const CLSID& clsid : classes) {
        ComRef<_View> view;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__View,
                                         view.ReceiveVoid()));
        EXPECT_EQ(S_OK, LoadTable(view.Get(), 3, 2));
    }
    EXPECT_EQ(FolderOf(GetModuleHandleW(L"norv.dll")), FolderOf(nullptr))
        << "the module beside the program";
    ComRef<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_NORV, 1, 0, LOCALE_NEUTRAL, library.Receive()));

    // A container that knows the control by its ProgID only.
    HWND ax = nullptr;
    ComRef<IDispatch> hosted(AtlHosted(TestHost(320, 240), 0, 0, ax));
    ASSERT_TRUE(hosted.Get());
    EXPECT_EQ(S_OK, LoadTable(hosted.Get(), 4, 2));
    LONG records = 0;
    ComRef<_View>(Query<_View>(hosted.Get(), IID__View))->get_RecordCount(&records);
    EXPECT_EQ(4, records);
    hosted.Reset();
    DestroyWindow(ax);
    OleUninitialize();
}
