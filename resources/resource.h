// Ids shared by the resource script (Veldrana.rc) and the program's code:
// menu commands, toolbar commands, dialogs and their controls, bitmaps and
// icons. Plain #defines only, so that windres can read this file too.
#pragma once

// Menu resource "Menu" (the main window's menu bar): item ids.
#define IDM_NEW 40001
#define IDM_OPEN 40002
#define IDM_CLOSE 40003
#define IDM_SAVE 40004
#define IDM_EXPORT 40005
#define IDM_DELETE 40009
#define IDM_ADD 40010
#define IDM_COPY 40011
#define IDM_GOTO 40012
#define IDM_NEXT 40013
#define IDM_PREVIOUS 40014
#define IDM_SORT 40015  // right-click menu only
#define IDM_NAME 40016
#define IDM_HELP 40027
#define IDM_ABOUT 40028
#define IDM_OPTIONS 40030
#define IDM_EXIT 40031
#define IDM_IMPORT 40032
#define IDM_EXPORT_AS 40033
#define IDM_UNDO 40034
#define IDM_REDO 40035
#define IDM_FILTER 40036
#define IDM_SHOW_ALL 40037
#define IDM_EDIT 2019  // right-click menu only

// Toolbar and keyboard command ids (small numbers, sent as WM_COMMAND).
#define CMD_OPEN 2
#define CMD_SAVE 3
#define CMD_ADD 4
#define CMD_COPY 5
#define CMD_DELETE 6
#define CMD_PREVIOUS 7
#define CMD_GOTO 9
#define CMD_SEARCH 10
#define CMD_NEXT 11
#define CMD_NEW 30
#define CMD_HELP 31

// Toolbar bitmaps, 16 x 16 each: image n of a toolbar's image list is bitmap
// IDB_TOOLBAR_FIRST + n. They are 8-bit bitmaps with a colour table, and their
// background is light grey (192, 192, 192), which the toolbar maps to the
// button face and draws transparent (as it maps pure black, grey 128 and white
// to the button text, shadow and highlight colours). The same pictures drawn
// at 20, 24 and 32 pixels for larger display scales follow in the same order
// from IDB_TOOLBAR20_FIRST, IDB_TOOLBAR24_FIRST and IDB_TOOLBAR32_FIRST.
#define IDB_TOOLBAR_FIRST 100
#define IDB_NEW 100       // a blank sheet with a sparkle
#define IDB_OPEN 101      // an open folder
#define IDB_SAVE 102      // a floppy disk
#define IDB_ADD 103       // a stopwatch
#define IDB_COPY 104      // two sheets of paper
#define IDB_DELETE 105    // a bomb marked TNT
#define IDB_SORT 106      // A over Z with an arrow (on no toolbar)
#define IDB_EXPORT 107    // a table with an arrow leaving it (on no toolbar)
#define IDB_OPTIONS 108   // a cog wheel (on no toolbar)
#define IDB_PREVIOUS 109  // a green double arrow to the left
#define IDB_NEXT 110      // a green double arrow to the right
#define IDB_GOTO 111      // a road running into the distance
#define IDB_SEARCH 112    // a building with a dish aerial
#define IDB_HELP 113      // a red question mark
#define IDB_TOOLBAR_LAST 113
#define TOOLBAR_IMAGE_COUNT 14
#define IDB_TOOLBAR20_FIRST 200
#define IDB_TOOLBAR24_FIRST 300
#define IDB_TOOLBAR32_FIRST 400

// Icons, each at 16, 20, 24, 32, 40, 48 and 256 pixels, so that every
// display scale finds its size. The icon groups are the only ones in the
// program file and are kept in this id order, so the document icon is icon
// index 2 ("Veldrana.exe,2"), the one the .vdr file association names.
#define IDI_PROGRAM 500   // the program: a stack of record cards
#define IDI_DISCS 502     // the program's second icon: a stack of data discs
#define IDI_DOCUMENT 503  // a Veldrana document (icon index 2)
#define DOCUMENT_ICON_INDEX 2

// The New dialog.
#define IDD_NEW 101
#define IDC_NEW_TEMPLATE 1000  // drop-down list of template names
#define IDC_NEW_NAME 1027      // the database name

// The Options dialog.
#define IDD_OPTIONS 102
#define IDC_OPTIONS_ONE 1001
#define IDC_OPTIONS_TWO 1002
#define IDC_OPTIONS_THREE 1003
#define IDC_OPTIONS_HELP 9
#define IDC_OPTIONS_ASSOCIATE 1026

// The prompt dialog. The four lines are centred single lines; the edit lies
// over the lower two. IDOK, IDCANCEL and IDC_PROMPT_THIRD are its buttons.
#define IDD_PROMPT 1005
#define IDC_PROMPT_EDIT 1001
#define IDC_PROMPT_THIRD 3
#define IDC_PROMPT_LINE1 850
#define IDC_PROMPT_LINE2 851
#define IDC_PROMPT_LINE3 852
#define IDC_PROMPT_LINE4 853
#define IDC_PROMPT_RULE 600
#define IDC_PROMPT_BOX 1014  // multi-line box: a message too long for its lines

// The About box.
#define IDD_ABOUT 1025
#define IDC_ABOUT_MAIL 1000        // "EMail Us"
#define IDC_ABOUT_SITE 1002        // "Go to Site"
#define IDC_ABOUT_MAIL_TEXT 850    // support mail address
#define IDC_ABOUT_PAGE_TEXT 851    // product page address
#define IDC_ABOUT_TEXT 1015        // page text
#define IDC_ABOUT_PAGES 1003       // page selector
#define IDC_ABOUT_ACTION 3         // action button, caption set per page

// The program's version texts. VELDRANA_VERSION_TEXT is the one place that
// names the version: both windows' captions, the About box, the help page,
// and the zips and installer packages that scripts/package makes take it
// from here.
#define VELDRANA_VERSION_TEXT "Veldrana 0.93"
#define PROMPT_CAPTION_TEXT "Veldrana 1.0"
