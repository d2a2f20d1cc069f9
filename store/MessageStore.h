#pragma once

// The private message store: one record key per number below the inbox ("Content") and
// the outbox ("Contentout") of the data key, named by the number's "+86" form. Each value
// of a record key is a record, named by its time stamp ("[*]" in front while unread, a
// piece suffix "-1", "-2", ... behind when a long text was split), except "photo", the
// number's avatar picture.

#include "platform/clock.h"
#include "platform/cstring.h"

#include <utility>
#include <vector>

enum class Branch { Inbox, Outbox };

inline constexpr const char16_t* kUnreadMarker = u"[*]";
inline constexpr const char16_t* kAvatarValue = u"photo";
// The longest record this program writes as one value; readers take up to 127 characters.
inline constexpr int kPieceLength = 126;

struct CRecord {
    CString name;
    CString text;
    friend bool operator==(const CRecord&, const CRecord&) = default;
};

CString RecordKeyPath(Branch branch, const CString& number);
// "%d-%d-%d-%d:%d:%d" of year, month, day, hour, minute and second: 2005-3-7-9:5:0.
CString TimeStampName(const platform::LocalTime& time);

// The records of a record key in enumeration order, "photo" left out, up to the first value
// that cannot be read. Empty (and the key created) when the key did not exist.
std::vector<CRecord> ListRecords(const CString& keyPath);
// Renames an unread record to its name without the marker and returns the name the record
// now has. The new name is written before the old one goes, so a failing store never loses
// the message (it keeps its old name instead).
CString MarkRead(const CString& keyPath, const CString& name, const CString& text);
int DeleteRecord(const CString& keyPath, const CString& name);
// Keeps a copy of a sent text in the number's outbox record key, split in pieces of at
// most 126 characters when longer. Failures are not reported.
void StoreSentCopy(const CString& number, const CString& text);
int ReadAvatar(const CString& keyPath, CString& picturePath);
int WriteAvatar(const CString& keyPath, const CString& picturePath);
int DeleteInboxKey(const CString& number);
// Deletes the whole inbox, then the whole outbox: the result of each.
std::pair<int, int> ClearStore();

// The pieces a text is stored in under a time stamp: one record named by the stamp when
// the text has at most 126 characters, else stamp-1, stamp-2, ... of 126 characters each
// (the last one shorter), a surrogate pair never split between two pieces.
std::vector<CRecord> SplitIntoPieces(const CString& stamp, const CString& text);
