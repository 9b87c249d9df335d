#pragma once

// What a screen reader reads of a child: "role|name|value|description|default action|states".

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

inline std::wstring ReadChild(IAccessible* object, LONG child) {
    VARIANT id, role, state;
    V_VT(&id) = VT_I4;
    V_I4(&id) = child;
    wchar_t roleName[64] = L"?";
    if (SUCCEEDED(object->get_accRole(id, &role)) && V_VT(&role) == VT_I4)
        GetRoleTextW(V_I4(&role), roleName, 64);
    std::wstring line = roleName;
    for (auto get : {&IAccessible::get_accName, &IAccessible::get_accValue,
                     &IAccessible::get_accDescription, &IAccessible::get_accDefaultAction}) {
        BSTR text = nullptr;
        line += std::wstring(L"|") + (SUCCEEDED((object->*get)(id, &text)) && text ? text : L"");
        SysFreeString(text);
    }
    line += L"|";
    const std::pair<LONG, const wchar_t*> states[] = {
        {STATE_SYSTEM_EXPANDED, L" expanded"},   {STATE_SYSTEM_COLLAPSED, L" collapsed"},
        {STATE_SYSTEM_SELECTED, L" selected"},   {STATE_SYSTEM_FOCUSED, L" focused"},
        {STATE_SYSTEM_OFFSCREEN, L" offscreen"}, {STATE_SYSTEM_UNAVAILABLE, L" unavailable"}};
    if (SUCCEEDED(object->get_accState(id, &state)) && V_VT(&state) == VT_I4)
        for (const auto& [bit, word] : states)
            line += V_I4(&state) & bit ? word : L"";
    return line;
}

// The list itself first, then every child AccessibleChildren hands out.
inline std::vector<std::wstring> ReadTree(IAccessible* object) {
    std::vector<std::wstring> lines{ReadChild(object, CHILDID_SELF)};
    LONG count = 0, got = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    if (count > 0 && SUCCEEDED(AccessibleChildren(object, 0, count, children.data(), &got)))
        for (LONG i = 0; i < got; ++i) // simple children all: VT_I4
            lines.push_back(ReadChild(object, V_I4(&children[i])));
    return lines;
}

// The tree of a window's client object; nothing when it has none.
inline std::vector<std::wstring> ReadWindow(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return {};
    std::vector<std::wstring> lines = ReadTree(object);
    object->Release();
    return lines;
}
