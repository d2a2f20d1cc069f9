#pragma once

// The settings window's export and import buttons: the two number lists to and from
// "\My Documents\List.xml", the private messages of the red list to and from
// "\My Documents\Content.xml". Each acts at once, with the busy cursor while it works, and
// shows its messages over owner.

#include "platform/cstring.h"

#include <optional>
#include <vector>

class CWnd;

void ExportLists(CWnd& owner);    // button 1028
void ExportMessages(CWnd& owner); // button 1029
void ImportLists(CWnd& owner);    // button 1030
void ImportMessages(CWnd& owner); // button 1034

// A record key's values that a message export wrote to the file.
struct ExportedKey {
    CString path;
    std::vector<CString> names;
};

// The work of the message export and import without their closing question and message:
// the file written from the store (what it now holds; nothing when the file could not be
// loaded or the red list read, after saying so), and the store written from the file (how
// many values were skipped as unreadable; nothing when the file could not be loaded).
std::optional<std::vector<ExportedKey>> WriteMessageFile(CWnd& owner);
std::optional<int> ReadMessageFile();

// The number a message file's list name stands for: what follows its last "_" (numbers
// hold none), or the whole name when it has no "_".
CString NumberOfListName(const CString& listName);
