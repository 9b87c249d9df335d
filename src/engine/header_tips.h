#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>

// Where the level buttons sit, in the header's pixels; the tips place their tools from it.
struct LevelToolMetrics {
    int32_t buttonWidth = 0;
    int32_t buttonTop = 0;
    int32_t buttonHeight = 0;
    int32_t margin = 0; // left inset of the first button, and of the area's right edge
    int32_t headerHeight = 0;
};

// A text built by appending, on the process heap; reads as "" when memory ran out.
class TipText {
public:
    TipText() = default;
    ~TipText();
    TipText(const TipText&) = delete;
    TipText& operator=(const TipText&) = delete;
    void Append(const wchar_t* part);
    const wchar_t* Get() const { return data && !failed ? data : L""; }

private:
    wchar_t* data = nullptr;
    size_t length = 0, capacity = 0;
    bool failed = false;
};

// The tooltip window of the header: one tool a grouping-level button whose text is asked for
// when the pointer rests on it, and the tracking tip that lists the grouping columns while
// the splitter is dragged. Without a tooltip window every call does nothing.
class HeaderTips {
public:
    HeaderTips() = default;
    ~HeaderTips() { Destroy(); }
    HeaderTips(const HeaderTips&) = delete;
    HeaderTips& operator=(const HeaderTips&) = delete;

    // Creates the tooltip window for owner. The level tools already counted are registered
    // again, so the tips work on a window that the host created anew.
    bool Create(HWND ownerWindow, const LevelToolMetrics& levelMetrics);
    bool Destroy();
    // After a change of the system metrics: the tools move to the new button places.
    void SetMetrics(const LevelToolMetrics& levelMetrics);

    void SetLevelToolCount(int32_t count);
    RECT LevelToolRect(int32_t id) const;
    void MoveLevelTools(int32_t scrollX);

    // Answers a text request of a level tool: at most 79 characters of the label.
    static void WriteLevelTipText(NMTTDISPINFOW* request, const wchar_t* label);

    // The tracking tip for the level count a dragged splitter shows, with its text (one label
    // a line); hidden while that count is 0.
    void ShowGroupingTip(int32_t levels, const wchar_t* text);
    void HideGroupingTip();

    static constexpr UINT_PTR groupingToolId = 100;

    HWND tipWindow = nullptr;
    HWND owner = nullptr;
    int32_t levelToolCount = 0;
    int32_t toolScrollX = 0;
    int32_t trackedLevels = -1;
    int32_t anchorLevels = 1;

private:
    LevelToolMetrics metrics;
    TTTOOLINFOW Tool(UINT_PTR id) const;
    void AddLevelTool(int32_t id);
    void SetTracking(bool active);
};
