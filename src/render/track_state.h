#pragma once

// Mouse-tracking states of the header strip; not TrackNone exactly while the window holds
// the capture it took itself.
enum TrackMode {
    TrackNone = 0,
    TrackPress = 1,
    TrackResize = 2,
    TrackColumnDrag = 3,
    TrackSplitterDrag = 4
};

// What lies under a point of the window.
enum HitKind {
    HitNone = 0,
    HitLevelButton,
    HitSplitter,
    HitHeader,
    HitColumnEdge,
    HitHiddenColumnEdge,
    HitGroupGlyph,
    HitGroupCaption,
    HitRecord
};
