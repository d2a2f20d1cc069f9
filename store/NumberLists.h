#pragma once

// The black list and the red list: one value per number in the list key, named by the
// number as entered, its data the level marker ("*" high, else low) and the contact name.

#include "platform/cstring.h"

#include <array>
#include <vector>

inline constexpr const char16_t* kHighLevel = u"*";

// A row of the main window's list: column 0 the sequence number (black list) or the
// contact name with "[*]" in front while unread messages wait (red list), column 1 the
// number, column 2 "*" for a high entry.
struct CListRow {
    std::array<CString, 3> column;
    friend bool operator==(const CListRow&, const CListRow&) = default;
};

struct CListEntry {
    bool high = false;
    CString name;
};

// The number itself when it begins with "+86", else "+86" and the number.
CString Plus86Form(const CString& number);
// The number without its "+86", removed once when present: what the phone sends to and
// dials.
CString WithoutPlus86(const CString& number);
// An entry's data read by the list rule: high when it begins with "*"; the name is the data
// without all its leading "*".
CListEntry DecodeListEntry(const CString& data);

// The rows of a list key in enumeration order. "Default" gives no row, though it takes a
// sequence number; listing the red list creates an empty inbox record key for each number
// that has none.
std::vector<CListRow> LoadListRows(const CString& listKey, bool redView);
// True when a value name of the key contains "[*]".
bool HasUnreadMessages(const CString& keyPath);

int AddListEntry(const CString& listKey, const CString& number, const CString& name);
int DeleteListEntry(const CString& listKey, const CString& number);
// The number's inbox record key, and all its received messages with it.
int DeleteReceivedMessages(const CString& number);
int RewriteLevel(const CString& redListKey, const CString& number, const CString& level,
                 const CString& name);
// The start's clean-up: "Default" is no entry; it goes from both keys (which exist after).
void CleanUpLists();
