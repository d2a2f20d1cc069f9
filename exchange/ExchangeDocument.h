#pragma once

// The exchange document: the one XML document that the export and import of the lists and
// the private messages work on, with the file it was loaded from, which every change is
// saved to at once. A document holds list elements, each with a listname and members of
// two fields (membername and mobilenum, or rectime and smscontent). Positions count from
// 0; lists are counted over the whole document.
//
// Without a document (before the first load, or after a load that failed) the changes do
// nothing and return true, the counts are 0 and the texts empty.

#include "platform/cstring.h"

#include <vector>

// ExportKeyToList's kinds, and AppendMember's (0 list member, other message member).
inline constexpr int kListEntries = 0;
inline constexpr int kInboxRecords = 1;
inline constexpr int kOutboxRecords = 2;

// Replaces the document by the file at a device path. A file that cannot be read or parsed
// shows "加载文件失败，请确认文件是否在指定目录！" and leaves no document; false then.
bool LoadDocument(const CString& path);

// Each change saves the document; false when the change could not be made, or the file
// could not be written (it then still holds what was saved before).
bool AppendList();
bool AppendMember(int list, int kind);
bool SetLastListName(const CString& text);
bool SetLastMemberFields(int list, const CString& first, const CString& second);

int CountLists();
int CountListChildren(int list); // the listname and the members
CString ReadListName(int list);
CString ReadMemberField(int list, int member, int field);

// Appends one member per value of a registry key below HKEY_LOCAL_MACHINE to the list at
// position list, in the key's order, until a value that cannot be read. 0 for success, 1
// when the key cannot be opened or counted, or a member could not be saved. exported, when
// given, receives the names of the values whose members the file now holds.
int ExportKeyToList(int list, const CString& keyPath, int kind,
                    std::vector<CString>* exported = nullptr);
