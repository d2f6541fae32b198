// Resource identifiers of the two configuration pages: the dialog templates and their controls.
// Plain macros, because the resource compiler reads this file as well as the C++ code.
#pragma once

#define IDD_CONSOLE_SETTINGS 106
#define IDD_FONT_AND_COLORS 101

// Labels and group boxes are never addressed.
#define IDC_STATIC -1

// "Console Settings"
#define IDC_ROWS 1007
#define IDC_COLUMNS 1011
#define IDC_COMMAND_LINE 1014
#define IDC_UPDATE_EVERY 1015
#define IDC_LEFT_MARGIN 1027
#define IDC_RIGHT_MARGIN 1028
#define IDC_TOP_MARGIN 1029
#define IDC_BOTTOM_MARGIN 1030
#define IDC_START_DIRECTORY 1035

// "Font and Colors"
#define IDC_FONT 1003
#define IDC_IGNORE_FG_COLORS 1022
#define IDC_IGNORE_STYLE 1023
#define IDC_IGNORE_BG_COLORS 1024
#define IDC_INVERT_COLORS 1026
#define IDC_TRANSPARENCY 1034
#define IDC_TEXT_COLOR 1037
#define IDC_BACKGROUND_COLOR 1038
#define IDC_BLACK_IS_TRANSPARENT 1039
#define IDC_SHOW_NON_OEM_FONTS 1040
#define IDC_PREVIEW 1041
