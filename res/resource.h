#pragma once

// String table
#define IDS_COLUMN_LABEL 102

// Drawing resources: cursors and folder icons
#define IDC_COLUMN_RESIZE 201
#define IDC_HIDDEN_COLUMN_RESIZE 202
#define IDC_GLYPH_HAND 203
#define IDI_FOLDER_CLOSED 205
#define IDI_FOLDER_OPEN 206
