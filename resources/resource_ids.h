/* Numbers of the program's resources, menu commands and dialog controls.
   Plain #defines: the resource compiler reads this file as well as C++. */
#ifndef ZANDREK_RESOURCE_IDS_H
#define ZANDREK_RESOURCE_IDS_H

#define ICON_WINDOW 116
#define ICON_BANNER 117

#define MENU_UNDO 101
#define MENU_RESTART 102
#define MENU_EXIT 103
#define MENU_LATEST_VERSION 104
#define MENU_NEXT_LEVEL 111
#define MENU_PREVIOUS_LEVEL 112
#define MENU_BEGINNER 113
#define MENU_INTERMEDIATE 114
#define MENU_ADVANCED 115
#define MENU_PLAYER_NAME 121
#define MENU_MAGNIFY_BASE 1220 /* 1221 to 1224: "1 X" to "4 X" */
#define MENU_MAGNIFY_1 1221
#define MENU_MAGNIFY_2 1222
#define MENU_MAGNIFY_3 1223
#define MENU_MAGNIFY_4 1224
#define MENU_SPEECH 123
#define MENU_MOTION_SOUNDS 124
#define MENU_QUICK_HELP 131
#define MENU_HELP_CONTENTS 132
#define MENU_ABOUT 133
#define MENU_WEBSITE 134
#define MENU_MAKER_WEBSITE 135
#define MENU_LEVEL_SOLUTIONS 139
#define MENU_RECENT_NEWS 500
#define MENU_LEVEL_BASE 10000 /* + n built-in, + 100 k + n level n of pack k */
#define MENU_LEVEL_LAST 19999

#define PLAYER_DIALOG_LABEL 109
#define PLAYER_DIALOG_EDIT 100

#endif
