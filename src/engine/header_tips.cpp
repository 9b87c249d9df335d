#include "engine/header_tips.h"

#include "store/module_instance.h"

TipText::~TipText() {
    if (data)
        HeapFree(GetProcessHeap(), 0, data);
}

void TipText::Append(const wchar_t* part) {
    const size_t added = lstrlenW(part);
    if (failed)
        return;
    if (length + added + 1 > capacity) {
        const size_t wanted = (length + added + 1) * 2;
        const size_t bytes = wanted * sizeof(wchar_t);
        void* grown = data ? HeapReAlloc(GetProcessHeap(), 0, data, bytes)
                           : HeapAlloc(GetProcessHeap(), 0, bytes);
        if (!grown) {
            failed = true;
            return;
        }
        data = static_cast<wchar_t*>(grown);
        capacity = wanted;
    }
    CopyMemory(data + length, part, (added + 1) * sizeof(wchar_t));
    length += added;
}

TTTOOLINFOW HeaderTips::Tool(UINT_PTR id) const {
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = owner;
    tool.uId = id;
    return tool;
}

bool HeaderTips::Create(HWND ownerWindow, const LevelToolMetrics& levelMetrics) {
    Destroy();
    owner = ownerWindow;
    metrics = levelMetrics;
    trackedLevels = -1;
    InitCommonControls();
    tipWindow =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ModuleInstance(), nullptr);
    if (!tipWindow)
        return false;
    TTTOOLINFOW tracking = Tool(groupingToolId);
    tracking.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    wchar_t empty[] = L"";
    tracking.lpszText = empty;
    SendMessageW(tipWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tracking));
    SendMessageW(tipWindow, TTM_SETMAXTIPWIDTH, 0, 1000);
    for (int32_t id = 0; id < levelToolCount; ++id)
        AddLevelTool(id);
    return true;
}

bool HeaderTips::Destroy() {
    if (!tipWindow)
        return true;
    if (!DestroyWindow(tipWindow))
        return false;
    tipWindow = nullptr;
    trackedLevels = -1;
    return true;
}

void HeaderTips::SetMetrics(const LevelToolMetrics& levelMetrics) {
    metrics = levelMetrics;
    MoveLevelTools(toolScrollX);
}

RECT HeaderTips::LevelToolRect(int32_t id) const {
    const int32_t left = metrics.buttonWidth * id - toolScrollX + metrics.margin;
    return RECT{left, metrics.buttonTop, left + metrics.buttonWidth,
                metrics.buttonTop + metrics.buttonHeight};
}

void HeaderTips::AddLevelTool(int32_t id) {
    if (!tipWindow)
        return;
    TTTOOLINFOW tool = Tool(static_cast<UINT_PTR>(id));
    tool.uFlags = TTF_SUBCLASS;
    tool.rect = LevelToolRect(id);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tipWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HeaderTips::SetLevelToolCount(int32_t count) {
    if (count < 0)
        count = 0;
    // Deleting a tool that watches the owner's messages stops the watching for every tool of
    // that window on some platforms (Wine 8): after a decrease the remaining tools are
    // registered anew.
    const int32_t kept = count < levelToolCount ? 0 : levelToolCount;
    for (int32_t id = levelToolCount - 1; id >= kept; --id) {
        TTTOOLINFOW tool = Tool(static_cast<UINT_PTR>(id));
        if (tipWindow)
            SendMessageW(tipWindow, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    for (int32_t id = kept; id < count; ++id)
        AddLevelTool(id);
    levelToolCount = count;
}

void HeaderTips::MoveLevelTools(int32_t scrollX) {
    toolScrollX = scrollX;
    if (!tipWindow)
        return;
    for (int32_t id = 0; id < levelToolCount; ++id) {
        TTTOOLINFOW tool = Tool(static_cast<UINT_PTR>(id));
        tool.rect = LevelToolRect(id);
        SendMessageW(tipWindow, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void HeaderTips::WriteLevelTipText(NMTTDISPINFOW* request, const wchar_t* label) {
    lstrcpynW(request->szText, label, ARRAYSIZE(request->szText));
    // A character of two code units is not cut in half.
    const int last = ARRAYSIZE(request->szText) - 2;
    if (lstrlenW(label) > last + 1 && IS_HIGH_SURROGATE(request->szText[last]))
        request->szText[last] = L'\0';
    request->lpszText = request->szText;
    request->hinst = nullptr;
}

void HeaderTips::SetTracking(bool active) {
    TTTOOLINFOW tool = Tool(groupingToolId);
    SendMessageW(tipWindow, TTM_TRACKACTIVATE, active ? TRUE : FALSE,
                 reinterpret_cast<LPARAM>(&tool));
}

void HeaderTips::ShowGroupingTip(int32_t levels, const wchar_t* text) {
    if (!tipWindow)
        return;
    if (trackedLevels == -1)
        anchorLevels = levelToolCount > 1 ? levelToolCount : 1;
    if (levels == trackedLevels)
        return;
    SetTracking(false);
    TTTOOLINFOW tool = Tool(groupingToolId);
    tool.lpszText = const_cast<wchar_t*>(text ? text : L"");
    SendMessageW(tipWindow, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Under the header at the grouping area's right end as it was when the tip first showed.
    POINT at{metrics.buttonWidth * anchorLevels + 2 * metrics.margin - toolScrollX,
             metrics.headerHeight};
    ClientToScreen(owner, &at);
    SendMessageW(tipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    if (levels != 0)
        SetTracking(true);
    else
        anchorLevels = 1;
    trackedLevels = levels;
}

void HeaderTips::HideGroupingTip() {
    if (trackedLevels == -1)
        return;
    if (tipWindow)
        SetTracking(false);
    trackedLevels = -1;
}
