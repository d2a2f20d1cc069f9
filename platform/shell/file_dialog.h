#pragma once

// The phone's open-file dialog: a full-screen chooser of the phone's folders and of the
// files that match a filter, run modally until a file is chosen or the choice cancelled.

#include "platform/cstring.h"

class CWnd;

inline constexpr int MAX_PATH = 260;
// The explorer-style dialog; the only style the phone has, accepted for the program's sake.
inline constexpr unsigned OFN_EXPLORER = 0x80000;

struct OPENFILENAME {
    CWnd* hwndOwner = nullptr;
    CString filterName; // what the filter is called: "图片文件"
    CString filter;     // the patterns a file name may match, "|" between them: "*.jpg|*.gif"
    CString title;      // the navigation bar's text; empty: "打开"
    CString file;       // in: where to start (empty: \My Documents); out: the device path chosen
    int maxFile = MAX_PATH; // characters the program takes, the terminating one included
    unsigned flags = 0;
};

// Shows the dialog over the phone's screen. True and the device path in file on a choice;
// false and an empty file when the choice is cancelled, or when the path chosen would not
// fit in maxFile (it is never cut).
bool GetOpenFileName(OPENFILENAME& ofn);
